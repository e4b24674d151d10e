// The history viewer: every record of history.txt, with Restore for the events that can be
// undone and Clear File.
#pragma once

#include <windows.h>

#include <functional>

#include "core/item_list.h"

namespace obrivo::explorer {

// The undo of a restorable history event, by the record (title, path = file,
// key = description, type); nothing while the operation does not exist in this build.
using HistoryRestore = std::function<void(HWND owner, const core::Item& record)>;
HistoryRestore HistoryRestoreFor(int event);

// Modal over `owner`.
void ShowHistoryViewer(HWND owner);

}  // namespace obrivo::explorer
