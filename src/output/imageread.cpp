#include "output/imageread.h"

#include <limits>
#include <memory>

#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "output/imagelib.h"

const char* const kImageReadError = "Erreur de lecture !";

ImageFileKind ImageFileKindOf(const QString& path) {
    const QString lower = path.toLower();
    if (lower.contains(QLatin1String(".tif"))) return ImageFileKind::Tiff;
    if (lower.contains(QLatin1String(".jpg"))) return ImageFileKind::Jpeg;
    return ImageFileKind::Unknown;
}

namespace {

// The document keeps the size in 16-bit counters.
bool FitsTheDocument(const ImageInfo& info) {
    constexpr int kLargest = std::numeric_limits<std::int16_t>::max();
    return info.width > 0 && info.height > 0 && info.width <= kLargest && info.height <= kLargest;
}

// Reads into a new image, so that a file that fails half-way leaves the
// current image in place.
int ReadInto(CImage& image, ImageInfo* info, const QString& path, ImageFileKind kind) {
    const bool tiff = kind == ImageFileKind::Tiff;
    if ((tiff ? CImage::ReadTiffInfo(path, info) : CImage::ReadJpegInfo(path, info)) != 0) return 1;
    if (!FitsTheDocument(*info)) return 1;
    return tiff ? image.LoadTiff(path) : image.LoadJpeg(path);
}

} // namespace

int ReadImageFile(CZbDoc& doc, const QString& path) {
    const ImageFileKind kind = ImageFileKindOf(path);
    int status = 1;
    if (kind != ImageFileKind::Unknown) {
        auto image = std::make_unique<CImage>();
        ImageInfo info;
        // The tests are made on the lower-cased path, but the file is opened by
        // its own name: file names here are case-sensitive.
        status = ReadInto(*image, &info, path, kind);
        if (status == 0) {
            if (doc.m_pImage) doc.m_pImage->Free();
            doc.m_pImage = std::move(image);
            doc.m_nImageWidth = static_cast<std::int16_t>(doc.m_pImage->Width());
            doc.m_nImageHeight = static_cast<std::int16_t>(doc.m_pImage->Height());
            doc.m_nImageBits = static_cast<std::int16_t>(doc.m_pImage->BitsPerPixel());
        }
    }
    doc.m_nDisplay = kChannelImage;
    doc.m_strFileName = path.toLower();
    doc.m_strTitle = doc.m_strFileName; // even when the same image is read again
    return status;
}
