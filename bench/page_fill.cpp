// Where the Explorer's start-up time with 1000 Run entries goes: each step the Startup page
// takes per row, timed on its own over the same 1000 entries in one process whose registry is
// redirected to scratch keys. The steps are those the page's fill runs for every row.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "bench_support.h"
#include "common/app.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/item_list.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "cost_measure.h"
#include "explorer/list_view.h"
#include "startup/startup_locations.h"
#include "startup_workbench.h"

namespace obrivo::bench {
namespace {

constexpr int kEntries = 1000;
constexpr int kColumns = 5;

class PageFillBench {
 public:
  PageFillBench() : workbench_(core::Program::Explorer) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    list_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 400,
                              nullptr, nullptr, nullptr, nullptr);
    for (int c = 0; c < kColumns && list_; ++c) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = 100;
      ::SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    images_ = explorer::CreateRowImageList();
    ready_ = workbench_.ready() && list_ && images_;
  }
  ~PageFillBench() {
    if (list_) ::DestroyWindow(list_);
    if (images_) ::ImageList_Destroy(images_);
  }

  bool ready() const { return ready_; }

  int Run() {
    if (!workbench_.AddRunValues("BenchEntry", kEntries)) return 2;
    if (startup::EnumStartup(true) != kEntries) {
      Progress("the 1000 values are not all listed");
      return 2;
    }
    items_ = common::Items();
    // Dated once, as the first start of the page does; from then on each row only looks up.
    for (std::size_t i = 0; i < items_.Count(); ++i)
      common::RecordFirstDetected(common::kDetectedStartup, items_.At(i).path);

    const Cost listing = Measure(nullptr, [] { startup::EnumStartup(true); });
    Report("page fill, 1000 entries: EnumStartup (page listing)", listing, nullptr);
    Step("CommandToProgramPath",
         [](const core::Item& item) { common::CommandToProgramPath(item.path); });
    Step("AddRowIcon (ExtractIconExW into the image list)", [this](const core::Item& item) {
      explorer::AddRowIcon(images_, item.path, 0);
    }, [this] { explorer::ResetRowImages(images_); });
    Step("ReadVersionInfo", [](const core::Item& item) {
      common::ReadVersionInfo(common::CommandToProgramPath(item.path));
    });
    Step("LookupFirstDetected", [](const core::Item& item) {
      common::LookupFirstDetected(item.type, item.path);
    });
    Step("InsertRow and four SetCellText", [this](const core::Item& item) {
      const int row = explorer::InsertRow(list_, 0, item.title, 0);
      for (int c = 1; c < kColumns; ++c) explorer::SetCellText(list_, row, c, item.path);
    }, [this] { ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0); });
    return 0;
  }

 private:
  // One step for every listed entry, as one measured call.
  template <typename PerRow>
  void Step(const std::string& name, PerRow perRow, const std::function<void()>& reset = {}) {
    Report("page fill, 1000 entries: " + name,
           Measure(reset,
                   [&] {
                     for (std::size_t i = 0; i < items_.Count(); ++i) perRow(items_.At(i));
                   }),
           nullptr);
  }

  StartupWorkbench workbench_;
  bool ready_ = false;
  HWND list_ = nullptr;
  HIMAGELIST images_ = nullptr;
  core::ItemList items_;
};

}  // namespace
}  // namespace obrivo::bench

int wmain() {
  obrivo::bench::PageFillBench bench;
  if (!bench.ready()) return 2;
  return bench.Run();
}
