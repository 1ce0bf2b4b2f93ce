#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

// Every numbered image of the program: its kind, size and how to draw it.
class ImageSet {
public:
    // ThemeIcon: the program's icon for the desktop's icon theme, one square size an entry.
    enum class Kind { Bitmap, Icon, Gif, Skin, ThemeIcon };

    struct Entry {
        Kind kind;
        int id;  // resource number; 0 for skin files, the size for theme icons
        int width;
        int height;
        std::function<void(QImage&)> draw;
        QString name;  // skin files: the file's name
        int frames = 1;
        int delay = 20;  // GIF frames, hundredths of a second
        std::function<void(QImage&, int)> drawFrame;
    };

    ImageSet();
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    void add(Kind kind, int id, int width, int height, std::function<void(QImage&)> draw);
    void addBitmap(int id, int width, int height, std::function<void(QImage&)> draw) {
        add(Kind::Bitmap, id, width, height, std::move(draw));
    }
    void addGif(int id, int width, int height, int frames,
                std::function<void(QImage&, int)> drawFrame);
    void addSkin(const QString& name, int width, int height, std::function<void(QImage&)> draw);
    void addSkinAndScreenImages();
    void addUpdateImages();

    std::vector<Entry> m_entries;
};
