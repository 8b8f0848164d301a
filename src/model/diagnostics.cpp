#include "model/diagnostics.h"

namespace tamsel {

std::string_view FaultText(ReadFault fault) noexcept
{
    switch (fault) {
    case ReadFault::HeaderChunk: return "ヘッダチャンクエラー";
    case ReadFault::TrackChunk: return "トラックチャンクエラー";
    case ReadFault::ReadFailed: return "ファイルの読み込みに失敗しました。";
    case ReadFault::DataCheck: return "データチェックエラー";
    }
    return "ファイルの読み込みに失敗しました。";
}

}  // namespace tamsel
