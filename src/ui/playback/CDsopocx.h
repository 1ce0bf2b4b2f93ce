#pragma once

#include "playback/ControlIdentity.h"
#include "playback/PlaybackControl.h"

#include <QLibrary>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>

class QKeyEvent;
class QWidget;

// The host of one playback control. The control is made from its class identifier through the
// control registry, inside a parent window, and can be destroyed and made again there. A call
// while no control exists does nothing and leaves the caller's result as it was.
class CDsopocx : public QObject {
    Q_OBJECT

public:
    inline static const QString kProgId = QString::fromLatin1(ControlIdentity::kProgId);
    inline static const QString kClassId = QString::fromLatin1(ControlIdentity::kClassId);

    explicit CDsopocx(QObject* parent = nullptr);
    ~CDsopocx() override;

    // Creates the control as a visible child of PARENT over RECT; false when no module for the
    // class is registered or it cannot be loaded.
    bool Create(QWidget* parent, const QRect& rect);
    void DestroyControl();
    bool hasControl() const { return m_control != nullptr; }
    QWidget* window() const;
    // Hands EVENT, a key the control takes from anywhere in the host's window, to the control.
    void passKey(QKeyEvent* event);

    void SetPlayAddress(const QString& address);
    void SetChannelName(const QString& name);
    void SetLoginId(const QString& id);
    void SetLoginPassword(const QString& password);
    void SetLanguage(const QString& language);
    void SetAuthUrl(const QString& url);
    void StartPlay();
    void StopPlay();
    // RESULT is set only when a control answered.
    void QueryState(int selector, int& result);
    void InitPlayer();
    void SetLogoPage(const QString& path);

signals:
    // The control's event 1001.
    void controlEvent();

private:
    QVariant call(int dispatchId, const QVariantList& arguments = {});

    // Hands a control back to the module that made it.
    struct ModuleDeleter {
        VeloDestroyControlFunction destroy;
        void operator()(PlaybackControl* control) const { destroy(control); }
    };

    QLibrary m_module;
    std::unique_ptr<PlaybackControl, ModuleDeleter> m_control;
    bool m_passingKey = false;
};
