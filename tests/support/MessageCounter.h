#pragma once

#include <QEvent>
#include <QWidget>

// A window that counts the messages of one kind it receives, standing where a window's owner is.
class MessageCounter : public QWidget {
public:
    explicit MessageCounter(int message) : m_message(message) {}
    int count = 0;

protected:
    bool event(QEvent* event) override {
        if (static_cast<int>(event->type()) == m_message) {
            ++count;
            return true;
        }
        return QWidget::event(event);
    }

private:
    int m_message;
};
