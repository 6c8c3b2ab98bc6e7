// The texture records of a newly opened trace: decoded by the extraction core, turned into
// pixmaps here.
#include "TraceController.h"

#include <QElapsedTimer>
#include <QImage>

#include <map>
#include <utility>

#include "TraceStatistics.h"

namespace {
// Uploads without data share one black pixmap per size, so a trace recorded without data costs
// no image memory per texture.
using TBlackPixmaps = std::map<std::pair<uint32_t, uint32_t>, QPixmap>;

QPixmap Thumbnail(STextureImage& image, TBlackPixmaps& blacks)
{
    if (image.kind == STextureImage::kNone || image.kind == STextureImage::kUnavailable || image.width == 0 ||
        image.height == 0)
        return QPixmap();
    if (image.kind == STextureImage::kBlack) {
        QPixmap& black = blacks[{image.width, image.height}];
        if (black.isNull()) {
            black = QPixmap(int(image.width), int(image.height));
            black.fill(Qt::black);
        }
        return black;
    }
    // The image takes the decoded bytes over and frees them with its last copy (a pixmap made from
    // an image over borrowed bytes would share them); kept as 8-bit RGB: 32 bits per pixel would
    // add a third to every thumbnail.
    auto* bytes = new std::vector<uint8_t>(std::move(image.rgb));
    QImage rgb(bytes->data(), int(image.width), int(image.height), qsizetype(image.width) * 3, QImage::Format_RGB888,
               [](void* owned) { delete static_cast<std::vector<uint8_t>*>(owned); }, bytes);
    if (rgb.isNull()) {
        delete bytes;
        return QPixmap();
    }
    return QPixmap::fromImage(std::move(rgb), Qt::NoFormatConversion);
}
} // namespace

void CTraceController::ExtractTextures()
{
    if (!m_trace || !m_statistics)
        return;
    const std::vector<STextureUpload> uploads = *m_statistics->GetTextureUploads();
    TBlackPixmaps blacks;
    // The status text is repainted at most every 50 ms, as the text export does.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    ::ExtractTextures(
        *m_trace, uploads,
        [&](const STextureRecord& record, STextureImage& image) {
            auto texture = std::make_unique<STextureThumbnail>();
            static_cast<STextureRecord&>(*texture) = record;
            texture->thumbnail = Thumbnail(image, blacks);
            m_textures.push_back(std::move(texture));
        },
        [&](uint32_t i, uint32_t n) {
            if (i != 1 && i != n && sinceRepaint.elapsed() < 50)
                return;
            sinceRepaint.restart();
            UpdateTemporalStatusBar(QString("Extracting Textures: %1/%2").arg(i).arg(n));
        });
}

bool CTraceController::TextureAtCall(uint32_t callNumber, STextureThumbnail& out)
{
    if (!m_trace)
        return false;
    STextureImage image;
    if (!::TextureAtCall(*m_trace, callNumber, out, image))
        return false;
    TBlackPixmaps blacks;
    out.thumbnail = Thumbnail(image, blacks);
    return true;
}
