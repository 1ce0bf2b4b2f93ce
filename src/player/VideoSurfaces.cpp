#include "OpenGlVideoSurface.h"
#include "SoftwareVideoSurface.h"
#include "VideoSurface.h"

#include <QGuiApplication>

namespace VideoSurfaces {

VideoSurface* create(QWidget* parent, const QString& preferred) {
    const QString asked = qEnvironmentVariable("VELO_VIDEO_OUTPUT", preferred).toLower();
    const QString platform = QGuiApplication::platformName();
    const bool noGl =
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    // Whether OpenGL really works here is found out when the first channel plays: probing now
    // would load the GL driver into a client that may never play.
    if (asked != QLatin1String("software") && !noGl) {
        return new OpenGlVideoSurface(parent);
    }
    return new SoftwareVideoSurface(parent);
}

}  // namespace VideoSurfaces
