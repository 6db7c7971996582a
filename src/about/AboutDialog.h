// The About box (dialog 100): the product picture, name, version and
// credits, and the two buttons that open web pages.
#pragma once

#include "about/AboutDialogModel.h"
#include "hw/MsrAccess.h"
#include "platform/win32/Win32Holders.h"
#include "ui/Dialog.h"

namespace korvath {

class AboutDialog : public Dialog {
 public:
  // loadUnavailable: the read-only driver's module refuses the counters the
  // load is measured with.
  AboutDialog(HWND parent, Desktop& desktop, Processor& processor,
              RegisterAccess access = RegisterAccess::kReadWrite, bool loadUnavailable = false);

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override;
  bool OnInitDialog() override;

 private:
  void OnHomePage();
  void OnSpecFinder();

  AboutDialogModel model_;
  RegisterAccess access_;
  bool loadUnavailable_;
  // The home-page button's image; the button only borrows it, so it lives
  // as long as this dialog object.
  BitmapHolder homePageImage_;
};

}  // namespace korvath
