// The texture records of a newly opened trace: decoded by the extraction core, turned into
// pixmaps here.
#include "TraceController.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <map>
#include <utility>

#include "TraceStatistics.h"

namespace {
// Uploads without data share one black pixmap per size, so a trace recorded without data costs
// no image memory per texture.
using TBlackPixmaps = std::map<std::pair<uint32_t, uint32_t>, QPixmap>;

// Pixels the trace does not hold show as black up to this many a side: a black pixmap larger than
// that is scaled down (its shape kept), and a partial image larger than that shows its rows held
// alone. An upload that declares 16384 x 16384 without data would otherwise take a gigabyte of
// black. The record keeps the size the upload gave.
constexpr uint32_t kMaxBlackSide = 2048;

QPixmap Thumbnail(STextureImage& image, TBlackPixmaps& blacks)
{
    if (image.kind == STextureImage::kNone || image.kind == STextureImage::kUnavailable || image.width == 0 ||
        image.height == 0)
        return QPixmap();
    if (image.kind == STextureImage::kBlack) {
        const uint32_t side = std::max(image.width, image.height);
        const auto scaled = [&](uint32_t v) {
            return side <= kMaxBlackSide ? v : std::max<uint32_t>(1, uint32_t(uint64_t(v) * kMaxBlackSide / side));
        };
        QPixmap& black = blacks[{scaled(image.width), scaled(image.height)}];
        if (black.isNull()) {
            black = QPixmap(int(scaled(image.width)), int(scaled(image.height)));
            black.fill(Qt::black);
        }
        return black;
    }
    if (image.kind == STextureImage::kPartial && image.rows == 0)
        return QPixmap();
    // A partial image within the black bound shows its missing rows black.
    if (image.kind == STextureImage::kPartial && image.width <= kMaxBlackSide && image.height <= kMaxBlackSide) {
        image.rgb.resize(size_t(image.width) * image.height * 3, 0);
        image.rows = image.height;
    }
    // The image takes the decoded bytes over and frees them with its last copy (a pixmap made from
    // an image over borrowed bytes would share them); kept as 8-bit RGB: 32 bits per pixel would
    // add a third to every thumbnail.
    auto* bytes = new std::vector<uint8_t>(std::move(image.rgb));
    QImage rgb(bytes->data(), int(image.width), int(image.rows), qsizetype(image.width) * 3, QImage::Format_RGB888,
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
            texture->origin = image.origin;
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
    out.origin = image.origin;
    out.thumbnail = Thumbnail(image, blacks);
    return true;
}
