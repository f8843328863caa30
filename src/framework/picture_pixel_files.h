#pragma once

#include <QImage>
#include <memory>
#include <vector>

namespace framework {

// The shared memory files the picture helpers put pictures in (see
// picture_helper_protocol.h). A file that held a picture is used again: its pages are
// already there for the next picture, which spares the helper the cost of fresh memory (on
// some machines as long as decoding a photo). One spare file is kept, until
// releaseSpares(); a file is ready again when its helper has ended and no copy of its
// picture is left.
class PixelFiles : public std::enable_shared_from_this<PixelFiles> {
public:
    PixelFiles() = default;
    ~PixelFiles();
    PixelFiles(const PixelFiles&) = delete;
    PixelFiles& operator=(const PixelFiles&) = delete;

    // A file for one picture: a spare one or a new one; -1 when none can be made.
    int take();
    // The file back once nothing writes to it or shows it any more.
    void giveBack(int file);
    // A file whose helper may still be writing: it is not used again.
    static void drop(int file);
    // Closes the spare files, handing their memory back.
    void releaseSpares();

    // The picture in the file, straight from the shared memory without a copy. The file
    // stays mapped, and goes back to the spares, when the last copy of the picture is gone.
    // A null image when it cannot be mapped (the file is then given back).
    QImage picture(int file, int width, int height, QImage::Format format);

private:
    std::vector<int> m_spares;
};

} // namespace framework
