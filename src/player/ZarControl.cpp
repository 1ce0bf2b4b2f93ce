#include "ZarControl.h"

#include "LivePlayback.h"
#include "PlayerSettings.h"
#include "PlayerView.h"
#include "playback/ControlIdentity.h"

#include <QFileInfo>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QUrl>

namespace {

QString text(const QVariantList& arguments) {
    return !arguments.isEmpty() && arguments[0].typeId() == QMetaType::QString
               ? arguments[0].toString()
               : QString();
}

}  // namespace

ZarControl::ZarControl(QWidget* parent) : m_stack(new QStackedWidget(parent)) {
    m_logo = new QTextBrowser(m_stack);
    // The logo page is shown as a document: no scripts run and no links are followed.
    m_logo->setOpenLinks(false);
    m_logo->setOpenExternalLinks(false);
    m_logo->setFrameShape(QFrame::NoFrame);
    m_logo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_logo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_logo->setStyleSheet(QStringLiteral("QTextBrowser { background: #05090d; color: #d8e6f0; }"));
    m_view = new PlayerView(m_stack, PlayerSettings().videoOutput());
    m_stack->addWidget(m_logo);
    m_stack->addWidget(m_view);
    m_playback = std::make_unique<LivePlayback>(*m_view);
}

QWidget* ZarControl::widget() {
    return m_stack.data();
}

ZarControl::~ZarControl() {
    // The player goes first: the picture it draws into is part of the window below.
    m_playback.reset();
    // The parent window may already have taken the control's window with it.
    delete m_stack.data();
}

void ZarControl::setLogoPage(const QString& path) {
    if (QFileInfo::exists(path)) {
        m_logo->setSearchPaths({QFileInfo(path).absolutePath()});
        m_logo->setSource(QUrl::fromLocalFile(path));
    }
}

QVariant ZarControl::invoke(int dispatchId, const QVariantList& arguments) {
    switch (dispatchId) {
        case kSetLogoPage:
            setLogoPage(text(arguments));
            return {};
        case kSetLanguage:
            return {};  // the pane speaks Japanese only
        case kSetAuthUrl:
            m_authUrl = text(arguments);
            return {};
        case kSetLoginId:
            m_user = text(arguments);
            return {};
        case kSetLoginPassword:
            m_password = text(arguments);
            return {};
        case kInitPlayer:
            // The player starts beside the window; readiness (state 1) tells when it is there.
            m_playback->initialise();
            return {};
        case kSetPlayAddress:
            m_address = text(arguments);
            return {};
        case kSetChannelName:
            m_channel = text(arguments);
            return {};
        case kStartPlay:
            // A player still starting plays the channel once it is there.
            if (!m_address.isEmpty()) {
                m_playback->setCredentials(m_user, m_password, m_authUrl);
                m_stack->setCurrentWidget(m_view);
                m_playback->play(m_address, m_channel);
                if (m_sink) {
                    m_sink(kEventId);
                }
            }
            return {};
        case kStopPlay:
            m_playback->stop();
            m_stack->setCurrentWidget(m_logo);
            return {};
        case kQueryState: {
            const int selector = !arguments.isEmpty() && arguments[0].typeId() == QMetaType::Int
                                     ? arguments[0].toInt()
                                     : 0;
            if (selector == 1) {
                return static_cast<qint32>(m_playback->initialised() ? 1 : 0);
            }
            if (selector == 2) {
                return static_cast<qint32>(m_playback->showingFrames() ? 1 : 0);
            }
            return static_cast<qint32>(0);
        }
        default:
            return {};
    }
}

extern "C" Q_DECL_EXPORT const char* VeloControlProgId() {
    return ControlIdentity::kProgId;
}

extern "C" Q_DECL_EXPORT const char* VeloControlClassId() {
    return ControlIdentity::kClassId;
}

extern "C" Q_DECL_EXPORT PlaybackControl* VeloCreateControl(QWidget* parent) {
    return new ZarControl(parent);
}

extern "C" Q_DECL_EXPORT void VeloDestroyControl(PlaybackControl* control) {
    delete control;
}
