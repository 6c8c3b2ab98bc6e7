#pragma once
// A texture record of the open trace with its thumbnail: the decoded image of the upload at full
// size (a null pixmap when the upload's dimensions leave nothing to show). The controller owns
// them, in upload order, until the trace is dropped; the texture list and viewer read them.
#include <QPixmap>

#include <memory>
#include <vector>

#include "TextureImages.h"

struct STextureThumbnail : STextureRecord
{
    QPixmap thumbnail;
    STextureImage::EOrigin origin = STextureImage::kFromTrace;  // the viewer says why it shows no pixels
};

using TTextureThumbnails = std::vector<std::unique_ptr<STextureThumbnail>>;
