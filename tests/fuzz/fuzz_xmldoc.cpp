// Parses arbitrary bytes as a document and walks every element, text and attribute the way the
// channel-list loader and the reply readers do.
#include "common/CXmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CXmlDoc doc;
    const bool parsed = doc.Parse(text);
    if (!parsed && doc.FindSibling()) {
        __builtin_trap();  // a failed parse must leave an empty document
    }

    // An attribute name taken from the input, so names that occur in it get looked up too.
    char ownName[9] = {};
    std::memcpy(ownName, data, size < 8 ? size : 8);
    const char* const names[] = {"name", "id", "y", "", ownName};

    doc.ResetPos();
    if (!doc.FindSibling()) {
        return 0;
    }
    // Decoding never makes a value longer than the document it came from.
    const auto check = [size](const QByteArray& value) {
        if (static_cast<std::size_t>(value.size()) > size) {
            __builtin_trap();
        }
    };
    check(doc.GetText());
    // Depth first through the cursor: enter each child, and leave when a level has no more.
    for (int steps = 0; steps < 4 * doc.elementCount() + 4; ++steps) {
        if (doc.FindChild()) {
            check(doc.GetChildText());
            // The UTF-16 forms are exactly the byte forms converted.
            if (doc.GetChildTextUtf8() != QString::fromUtf8(doc.GetChildText())) {
                __builtin_trap();
            }
            for (const char* name : names) {
                check(doc.GetChildAttr(name));
                if (doc.GetChildAttrUtf8(name) != QString::fromUtf8(doc.GetChildAttr(name))) {
                    __builtin_trap();
                }
            }
            if (!doc.Enter()) {
                __builtin_trap();
            }
            check(doc.GetText());
        } else if (!doc.Leave()) {
            break;
        }
    }
    doc.ResetPos();
    doc.FindChild("channel");
    return 0;
}
