#include "platform/CodePage.h"

namespace CodePage {

QByteArray toAnsi(const QString& text) {
    return text.toUtf8();
}

QString fromAnsi(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}

}  // namespace CodePage
