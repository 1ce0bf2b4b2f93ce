#pragma once

#include <QString>

// Text placed inside the service's XML replies and files.
class XmlText {
public:
    // TEXT with the characters that XML gives a meaning (& < > " ') written as references, so
    // an account name or channel name cannot break the document it is put into.
    static QString escape(const QString& text);
};
