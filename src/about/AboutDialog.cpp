#include "about/AboutDialog.h"

#include "platform/TextFormat.h"
#include "resources/resource.h"

namespace korvath {

AboutDialog::AboutDialog(HWND parent, Desktop& desktop, Processor& processor, RegisterAccess access,
                         bool loadUnavailable)
    : Dialog(IDD_ABOUT, parent), model_(desktop, processor), access_(access), loadUnavailable_(loadUnavailable) {}

std::optional<intptr_t> AboutDialog::HandleMessage(const WindowMessage& message) {
  static constexpr MessageEntry<AboutDialog> kMessageMap[] = {
      OnCommand(IDC_HOME_PAGE, kButtonClicked, &AboutDialog::OnHomePage),
      OnCommand(IDC_SPEC_FINDER, kButtonClicked, &AboutDialog::OnSpecFinder),
  };
  return RouteMessage(kMessageMap, *this, message);
}

bool AboutDialog::OnInitDialog() {
  bool result = Dialog::OnInitDialog();
  homePageImage_.Reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                       MAKEINTRESOURCEW(IDB_HOME_PAGE),
                                                       IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (homePageImage_) {
    SendDlgItemMessageW(Handle(), IDC_HOME_PAGE, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(homePageImage_.Get()));
  }
  if (access_ == RegisterAccess::kReadOnly) {
    SetDlgItemTextW(Handle(), IDC_ABOUT_DRIVER_LINE1, Widen(kReadOnlyDriverLine1).c_str());
    const char* line2 = loadUnavailable_ ? kReadOnlyDriverLine2WithoutLoad : kReadOnlyDriverLine2;
    SetDlgItemTextW(Handle(), IDC_ABOUT_DRIVER_LINE2, Widen(line2).c_str());
  }
  return result;
}

void AboutDialog::OnHomePage() {
  model_.OpenHomePage();
  EndDialog(IDCANCEL);
}

void AboutDialog::OnSpecFinder() {
  model_.OpenSpecFinder();
  EndDialog(IDCANCEL);
}

}  // namespace korvath
