#pragma once
// What the files of the ES 1.1 player share: the call being replayed and how handlers end and refuse.
#include "PlayCase.h"
#include "PlayRows.h"
#include "Playback.h"
#include "Refusal.h"
#include "host/HostTables.h"

#include "Es1Records.h"

#include <cstdint>

// glDrawElements' indices (playrows::SIndicesListed).
template <>
struct playrows::TListedItem<xqft::es1::SEs1DrawIndices> : playrows::SIndicesListed
{
};
template <bool Second>
struct playrows::TItemRead<xqft::es1::SEs1DrawIndices, Second> : playrows::TIndicesRead<Second>
{
};

namespace es1play {

using SPlay = TPlay<SEs1Host>;

using Handler = EEnd (*)(SPlay&);

// A call whose host entry point the host library lacks: nothing is called, a warning, result 1.
EEnd Missing(SPlay& p);

// The first integer the host answers for `pname` (0 when the query writes nothing).
int32_t HostInt(SEs1Host& gl, uint32_t pname);

// To be called whenever the contents of an ES 1.1 buffer on the host may have changed (data, part
// of it, deletion, a restore): the draws' checks read element buffers again (BufferContentsChanged).
void Es1BufferContentsChanged();

// The client-array calls and the draws (Es1ClientArrays.cpp).
EEnd ColorPointer(SPlay& p);
EEnd NormalPointer(SPlay& p);
EEnd TexCoordPointer(SPlay& p);
EEnd VertexPointer(SPlay& p);
EEnd PointSizePointer(SPlay& p);
EEnd DrawArrays(SPlay& p);
EEnd DrawElements(SPlay& p);

} // namespace es1play
