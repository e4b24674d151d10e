// The Explorer program. For now a small window that runs the store's start-up initialisation and
// shows which page it was asked for; the property sheet with its pages takes its place.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::explorer {

int RunExplorer(HINSTANCE instance, std::wstring_view arguments);

}  // namespace obrivo::explorer
