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
    if (asked != QLatin1String("software") && !noGl && OpenGlVideoSurface::available()) {
        return new OpenGlVideoSurface(parent);
    }
    return new SoftwareVideoSurface(parent);
}

}  // namespace VideoSurfaces
