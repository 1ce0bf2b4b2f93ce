#include "XmlText.h"

QString XmlText::escape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'&':
                out += QLatin1String("&amp;");
                break;
            case u'<':
                out += QLatin1String("&lt;");
                break;
            case u'>':
                out += QLatin1String("&gt;");
                break;
            case u'"':
                out += QLatin1String("&quot;");
                break;
            case u'\'':
                out += QLatin1String("&apos;");
                break;
            default:
                out += c;
        }
    }
    return out;
}
