#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

// Every numbered image of the program: its kind, size and how to draw it.
class ImageSet {
public:
    enum class Kind { Bitmap, Icon };

    struct Entry {
        Kind kind;
        int id;
        int width;
        int height;
        std::function<void(QImage&)> draw;
    };

    ImageSet();
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    void add(Kind kind, int id, int width, int height, std::function<void(QImage&)> draw);
    void addBitmap(int id, int width, int height, std::function<void(QImage&)> draw) {
        add(Kind::Bitmap, id, width, height, std::move(draw));
    }

    std::vector<Entry> m_entries;
};
