#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "fake_call_log.h"
#include "platform/core/controls.h"

namespace velmora::testing {

// Fakes of the window toolkit's controls. Each logs every call to the shared FakeCallLog (which
// can make any single operation fail) and keeps its properties in public fields that tests set
// and inspect directly; field writes are not logged. They start as the toolkit creates its
// controls and follow the toolkit's rules where handlers rely on them.

// A float as the log shows it: the shortest text that reads back as the same value ("3900.5").
std::string twipsText(float value);

class FakeForm : public FormControl {
public:
    explicit FakeForm(FakeCallLog& log) : log_(log) {}
    void putCaption(const std::string& text) override;
    float Width() const override;
    float Height() const override;
    int WindowState() const override;

    std::string caption = "Velmora";
    float width = 7365;   // client area 7245 x 7110 plus the fixed frame 120 x 405
    float height = 7515;
    int windowState = 0;

private:
    FakeCallLog& log_;
};

// Interval 0 and enabled, as created: it never ticks until it gets an interval.
class FakeTimer : public TimerControl {
public:
    FakeTimer(FakeCallLog& log, std::string name) : log_(log), name_(std::move(name)) {}
    void putInterval(int32_t milliseconds) override;
    void putEnabled(bool enabled) override;
    // Whether it would tick: enabled with a non-zero interval.
    bool ticking() const { return enabled && interval != 0; }

    int32_t interval = 0;
    bool enabled = true;

private:
    FakeCallLog& log_;
    std::string name_;
};

// 0..32767 at 0, as created. Refuses a value outside 0..Max; a Max below the value moves the
// value down to it.
class FakeScrollBar : public ScrollBarControl {
public:
    FakeScrollBar(FakeCallLog& log, std::string name) : log_(log), name_(std::move(name)) {}
    int16_t Max() const override;
    void putMax(int16_t max) override;
    int16_t Value() const override;
    void putValue(int16_t value) override;
    void putSmallChange(int16_t step) override;
    void putTop(float twips) override;
    void putWidth(float twips) override;

    int16_t max = 32767;
    int16_t value = 0;
    int16_t smallChange = 1;
    std::optional<float> top;
    std::optional<float> width;

private:
    FakeCallLog& log_;
    std::string name_;
};

class FakeSlider : public SliderControl {
public:
    explicit FakeSlider(FakeCallLog& log) : log_(log) {}
    void putSmallChange(int32_t step) override;
    void putMax(int32_t max) override;
    void putMin(int32_t min) override;
    int32_t Value() const override;
    void putValue(int32_t value) override;
    void putTop(float twips) override;

    int32_t smallChange = 1;
    int32_t min = 0;
    int32_t max = 10;
    int32_t value = 0;
    std::optional<float> top;

private:
    FakeCallLog& log_;
};

class FakeButton : public ButtonControl {
public:
    FakeButton(FakeCallLog& log, std::string name, std::string caption)
        : caption(std::move(caption)), log_(log), name_(std::move(name)) {}
    void putCaption(const std::string& text) override;
    void putBackColor(int32_t bgr) override;
    void putLeft(float twips) override;
    void putTop(float twips) override;

    std::string caption;
    std::optional<int32_t> backColor;
    std::optional<float> left;
    std::optional<float> top;

private:
    FakeCallLog& log_;
    std::string name_;
};

// The common dialog. openChoice is what the user picks in the next ShowOpen (nothing: cancel);
// colorChoice what the user confirms in the next ShowColor (nothing: cancel).
class FakeDialog : public CommonDialogControl {
public:
    explicit FakeDialog(FakeCallLog& log) : log_(log) {}
    void putFileName(const std::string& name) override;
    std::string FileName() const override;
    void putFlags(int32_t flags) override;
    void putFilter(const std::string& filter) override;
    void putInitDir(const std::string& folder) override;
    void putMaxFileSize(int16_t characters) override;
    void ShowOpen() override;
    int32_t Color() const override;
    bool ShowColor() override;

    std::optional<std::string> openChoice;
    std::optional<int32_t> colorChoice;
    // Whether ShowOpen refuses a choice longer than maxFileSize, as the real dialog does.
    bool enforceMaxFileSize = true;

    std::string fileName;
    int32_t flags = 0;
    std::string filter;
    std::string initDir;
    int16_t maxFileSize = 260;
    int32_t color = 0;

private:
    FakeCallLog& log_;
};

class FakeAppFolder : public AppFolder {
public:
    explicit FakeAppFolder(FakeCallLog& log) : log_(log) {}
    std::string Path() const override;
    char Separator() const override;

    std::string path = "D:\\lessons";
    char separator = '\\';

private:
    FakeCallLog& log_;
};

}  // namespace velmora::testing
