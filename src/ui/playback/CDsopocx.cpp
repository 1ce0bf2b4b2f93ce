#include "playback/CDsopocx.h"

#include "platform/ControlRegistry.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

CDsopocx::CDsopocx(QObject* parent) : QObject(parent) {}

CDsopocx::~CDsopocx() {
    DestroyControl();
}

bool CDsopocx::Create(QWidget* parent, const QRect& rect) {
    DestroyControl();
    const QString module = ControlRegistry::moduleFor(kClassId);
    if (module.isEmpty()) {
        return false;
    }
    if (m_module.fileName() != module) {
        m_module.unload();
        m_module.setFileName(module);
    }
    if (!m_module.isLoaded() && !m_module.load()) {
        return false;
    }
    const auto create =
        reinterpret_cast<VeloCreateControlFunction>(m_module.resolve(kCreateControlSymbol));
    const auto destroy =
        reinterpret_cast<VeloDestroyControlFunction>(m_module.resolve(kDestroyControlSymbol));
    if (create == nullptr || destroy == nullptr) {
        return false;
    }
    m_control =
        std::unique_ptr<PlaybackControl, ModuleDeleter>(create(parent), ModuleDeleter{destroy});
    // The control's window must be where it was asked to be: a control that put it elsewhere
    // keeps it, and is not used.
    if (!m_control || m_control->widget() == nullptr ||
        m_control->widget()->parentWidget() != parent) {
        m_control.reset();
        return false;
    }
    QPointer<CDsopocx> self(this);
    m_control->setEventSink([self](int eventId) {
        if (self && eventId == PlaybackControl::kEventId) {
            emit self->controlEvent();
        }
    });
    QWidget* widget = m_control->widget();
    widget->setGeometry(rect);
    widget->show();
    return true;
}

void CDsopocx::DestroyControl() {
    // The module stays loaded: the control will be made again from it.
    m_control.reset();
}

QWidget* CDsopocx::window() const {
    return m_control ? m_control->widget() : nullptr;
}

void CDsopocx::passKey(QKeyEvent* event) {
    // A key the control leaves comes back up through the host's windows: it is passed once.
    QWidget* control = window();
    if (control == nullptr || m_passingKey) {
        return;
    }
    m_passingKey = true;
    QCoreApplication::sendEvent(control, event);
    m_passingKey = false;
}

QVariant CDsopocx::call(int dispatchId, const QVariantList& arguments) {
    return m_control ? m_control->invoke(dispatchId, arguments) : QVariant();
}

void CDsopocx::SetPlayAddress(const QString& address) {
    call(PlaybackControl::kSetPlayAddress, {address});
}
void CDsopocx::SetChannelName(const QString& name) {
    call(PlaybackControl::kSetChannelName, {name});
}
void CDsopocx::SetLoginId(const QString& id) {
    call(PlaybackControl::kSetLoginId, {id});
}
void CDsopocx::SetLoginPassword(const QString& password) {
    call(PlaybackControl::kSetLoginPassword, {password});
}
void CDsopocx::SetLanguage(const QString& language) {
    call(PlaybackControl::kSetLanguage, {language});
}
void CDsopocx::SetAuthUrl(const QString& url) {
    call(PlaybackControl::kSetAuthUrl, {url});
}
void CDsopocx::StartPlay() {
    call(PlaybackControl::kStartPlay);
}
void CDsopocx::StopPlay() {
    call(PlaybackControl::kStopPlay);
}
void CDsopocx::InitPlayer() {
    call(PlaybackControl::kInitPlayer);
}
void CDsopocx::SetLogoPage(const QString& path) {
    call(PlaybackControl::kSetLogoPage, {path});
}

void CDsopocx::QueryState(int selector, int& result) {
    const QVariant answer = call(PlaybackControl::kQueryState, {static_cast<qint32>(selector)});
    if (answer.isValid()) {
        result = answer.toInt();
    }
}
