#pragma once
// glCompressedTexImage2D names its image argument after the form it was recorded in: "pixels "
// (with a trailing blank) when the image bytes are present, "data" when only the pointer is.
// Viewers and players match these names, so they stay as recorded tools have always listed them.
#include "apicall/CallFamilies.h"
#include "record/Record.h"

namespace xqft_es2 {
using namespace xqft;

struct SCompressedImageArg
{
    static constexpr FixedString kName = "pixels ";
    static constexpr Role kRole = Role::None;
    static constexpr ItemKind kKind = ItemKind::Argument;
    using ListedHolder = SNoHolder;
    SImage2D data; // without data only its pointer member is filled

    void Read(CTrace& t)
    {
        if (t.IsDataIncluded())
            t >> data;
        else
            t >> data.pointer;
    }
    void List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
    {
        if (t.IsDataIncluded())
            info.AddArgument("pixels ", &data, 0);
        else
            info.AddArgument("data", info.MakeHolder<TPointer>(data.pointer.value), 0);
    }
};

class CEs2_glCompressedTexImage2D_v1 final
    : public TRecord<CEs2Call, 2022, "glCompressedTexImage2D", "Texture", Arg<"target", 12>, Arg<"level", 17>,
                     Arg<"internalformat", 12>, Arg<"width", 18>, Arg<"height", 18>, Arg<"border", 17>,
                     Arg<"imageSize", 18>, SCompressedImageArg>
{
public:
    using TRecord::TRecord;
    bool UpdateState(void* state, uint32_t frame) override; // Es2TextureEffects.cpp
};

} // namespace xqft_es2
