#pragma once

#include <functional>
#include <string>

#include "platform/core/controls.h"

namespace velmora {

class DialogRunner;

// CommonDialogControl over a DialogRunner (Qt's own dialogs in the program, scripted answers in
// tests). Starts with FileName empty, Flags 0, no filter, no starting folder, MaxFileSize 260 and
// Color 0 (black).
//
// Flags understood: for ShowOpen, 0x200 lets several files be chosen; for ShowColor, 0x1 starts
// the dialog from Color and 0x2 shows the custom-colour section (Qt's dialog always shows it).
class QtCommonDialog : public CommonDialogControl {
public:
    static constexpr int32_t kAllowMultiSelect = 0x200;
    static constexpr int32_t kColorStartFromCurrent = 0x1;
    static constexpr int32_t kColorFullOpen = 0x2;

    // `runner` must outlive the dialog.
    explicit QtCommonDialog(DialogRunner& runner) : runner_(runner) {}

    // `notice` hears of every selection ShowOpen refuses, before the Failure is raised: a handler
    // that goes on past a failing ShowOpen would otherwise leave the user with no answer at all.
    void onRefusedSelection(std::function<void(const std::string&)> notice) { onRefused_ = std::move(notice); }

    void putFileName(const std::string& name) override { fileName_ = name; }
    std::string FileName() const override { return fileName_; }
    void putFlags(int32_t flags) override { flags_ = flags; }
    // Raises a Failure for a malformed filter; the previous filter stays.
    void putFilter(const std::string& filter) override;
    void putInitDir(const std::string& folder) override { initDir_ = folder; }
    // Raises a Failure for a size below 1.
    void putMaxFileSize(int16_t characters) override;
    // On a choice, FileName becomes the chosen path, or the folder and the names joined by NULs.
    // On a cancel FileName stays. A choice whose result would exceed MaxFileSize characters, or
    // that spans folders, raises a Failure and leaves FileName as it was.
    void ShowOpen() override;
    int32_t Color() const override { return color_; }
    bool ShowColor() override;

private:
    DialogRunner& runner_;
    std::function<void(const std::string&)> onRefused_;
    std::string fileName_;
    int32_t flags_ = 0;
    std::string filter_;
    std::string initDir_;
    int16_t maxFileSize_ = 260;
    int32_t color_ = 0;
};

}  // namespace velmora
