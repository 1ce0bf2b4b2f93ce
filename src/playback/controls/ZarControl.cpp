#include "ZarControl.h"

#include "ZarPlayingView.h"
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
    m_playing = new ZarPlayingView(m_stack);
    m_stack->addWidget(m_logo);
    m_stack->addWidget(m_playing);
}

QWidget* ZarControl::widget() {
    return m_stack.data();
}

ZarControl::~ZarControl() {
    // The parent window may already have taken the control's window with it.
    delete m_stack.data();
}

QVariant ZarControl::invoke(int dispatchId, const QVariantList& arguments) {
    switch (dispatchId) {
        case kSetLogoPage:
            m_logoPage = text(arguments);
            if (QFileInfo::exists(m_logoPage)) {
                m_logo->setSearchPaths({QFileInfo(m_logoPage).absolutePath()});
                m_logo->setSource(QUrl::fromLocalFile(m_logoPage));
            }
            return {};
        case kSetLanguage:
        case kSetAuthUrl:
        case kSetLoginPassword:
            return {};
        case kSetLoginId:
            m_user = text(arguments);
            return {};
        case kInitPlayer:
            m_initialised = true;
            return {};
        case kSetPlayAddress:
            m_address = text(arguments);
            return {};
        case kSetChannelName:
            m_channel = text(arguments);
            return {};
        case kStartPlay:
            if (m_initialised && !m_address.isEmpty()) {
                m_playingNow = true;
                m_playing->start(m_channel, m_address);
                m_stack->setCurrentWidget(m_playing);
                if (m_sink) {
                    m_sink(kEventId);
                }
            }
            return {};
        case kStopPlay:
            m_playingNow = false;
            m_playing->stop();
            m_stack->setCurrentWidget(m_logo);
            return {};
        case kQueryState: {
            const int selector =
                !arguments.isEmpty() && arguments[0].typeId() == QMetaType::Int ? arguments[0].toInt()
                                                                                : 0;
            if (selector == 1) {
                return static_cast<qint32>(m_initialised ? 1 : 0);
            }
            if (selector == 2) {
                return static_cast<qint32>(m_playingNow ? 1 : 0);
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
