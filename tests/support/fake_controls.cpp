#include "fake_controls.h"

#include <charconv>

#include "platform/core/failure.h"

namespace velmora::testing {

std::string twipsText(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void FakeForm::putCaption(const std::string& text) {
    log_.record("Form1.Caption=", "Form1.Caption=" + text);
    caption = text;
}
float FakeForm::Width() const {
    log_.record("Form1.Width", "Form1.Width");
    return width;
}
float FakeForm::Height() const {
    log_.record("Form1.Height", "Form1.Height");
    return height;
}
int FakeForm::WindowState() const {
    log_.record("Form1.WindowState", "Form1.WindowState");
    return windowState;
}

void FakeTimer::putInterval(int32_t milliseconds) {
    log_.record(name_ + ".Interval=", name_ + ".Interval=" + std::to_string(milliseconds));
    interval = milliseconds;
}
void FakeTimer::putEnabled(bool on) {
    log_.record(name_ + ".Enabled=", name_ + ".Enabled=" + (on ? "true" : "false"));
    enabled = on;
}

int16_t FakeScrollBar::Max() const {
    log_.record(name_ + ".Max", name_ + ".Max");
    return max;
}
void FakeScrollBar::putMax(int16_t newMax) {
    log_.record(name_ + ".Max=", name_ + ".Max=" + std::to_string(newMax));
    max = newMax;
    if (value > max) value = max;
}
int16_t FakeScrollBar::Value() const {
    log_.record(name_ + ".Value", name_ + ".Value");
    return value;
}
void FakeScrollBar::putValue(int16_t newValue) {
    log_.record(name_ + ".Value=", name_ + ".Value=" + std::to_string(newValue));
    if (newValue < 0 || newValue > max) throw Failure(name_ + " cannot show " + std::to_string(newValue));
    value = newValue;
}
void FakeScrollBar::putSmallChange(int16_t step) {
    log_.record(name_ + ".SmallChange=", name_ + ".SmallChange=" + std::to_string(step));
    smallChange = step;
}
void FakeScrollBar::putTop(float twips) {
    log_.record(name_ + ".Top=", name_ + ".Top=" + twipsText(twips));
    top = twips;
}
void FakeScrollBar::putWidth(float twips) {
    log_.record(name_ + ".Width=", name_ + ".Width=" + twipsText(twips));
    width = twips;
}

void FakeSlider::putSmallChange(int32_t step) {
    log_.record("Slider1.SmallChange=", "Slider1.SmallChange=" + std::to_string(step));
    smallChange = step;
}
void FakeSlider::putMax(int32_t newMax) {
    log_.record("Slider1.Max=", "Slider1.Max=" + std::to_string(newMax));
    max = newMax;
}
void FakeSlider::putMin(int32_t newMin) {
    log_.record("Slider1.Min=", "Slider1.Min=" + std::to_string(newMin));
    min = newMin;
}
int32_t FakeSlider::Value() const {
    log_.record("Slider1.Value", "Slider1.Value");
    return value;
}
void FakeSlider::putValue(int32_t newValue) {
    log_.record("Slider1.Value=", "Slider1.Value=" + std::to_string(newValue));
    value = newValue;
}
void FakeSlider::putTop(float twips) {
    log_.record("Slider1.Top=", "Slider1.Top=" + twipsText(twips));
    top = twips;
}

void FakeButton::putCaption(const std::string& text) {
    log_.record(name_ + ".Caption=", name_ + ".Caption=" + text);
    caption = text;
}
void FakeButton::putBackColor(int32_t bgr) {
    log_.record(name_ + ".BackColor=", name_ + ".BackColor=" + std::to_string(bgr));
    backColor = bgr;
}
void FakeButton::putLeft(float twips) {
    log_.record(name_ + ".Left=", name_ + ".Left=" + twipsText(twips));
    left = twips;
}
void FakeButton::putTop(float twips) {
    log_.record(name_ + ".Top=", name_ + ".Top=" + twipsText(twips));
    top = twips;
}

void FakeDialog::putFileName(const std::string& name) {
    log_.record("dlg.FileName=", "dlg.FileName=" + name);
    fileName = name;
}
std::string FakeDialog::FileName() const {
    log_.record("dlg.FileName", "dlg.FileName");
    return fileName;
}
void FakeDialog::putFlags(int32_t value) {
    log_.record("dlg.Flags=", "dlg.Flags=" + std::to_string(value));
    flags = value;
}
void FakeDialog::putFilter(const std::string& value) {
    log_.record("dlg.Filter=", "dlg.Filter=" + value);
    filter = value;
}
void FakeDialog::putInitDir(const std::string& folder) {
    log_.record("dlg.InitDir=", "dlg.InitDir=" + folder);
    initDir = folder;
}
void FakeDialog::putMaxFileSize(int16_t characters) {
    log_.record("dlg.MaxFileSize=", "dlg.MaxFileSize=" + std::to_string(characters));
    maxFileSize = characters;
}
void FakeDialog::ShowOpen() {
    log_.record("dlg.ShowOpen", "dlg.ShowOpen()");
    if (!openChoice) return;
    if (enforceMaxFileSize && openChoice->size() > static_cast<size_t>(maxFileSize)) {
        throw Failure("the chosen file names do not fit in " + std::to_string(maxFileSize) + " characters");
    }
    fileName = *openChoice;
}
int32_t FakeDialog::Color() const {
    log_.record("dlg.Color", "dlg.Color");
    return color;
}
bool FakeDialog::ShowColor() {
    log_.record("dlg.ShowColor", "dlg.ShowColor()");
    if (!colorChoice) return false;
    color = *colorChoice;
    return true;
}

std::string FakeAppFolder::Path() const {
    log_.record("app.Path", "app.Path");
    return path;
}
char FakeAppFolder::Separator() const {
    log_.record("app.Separator", "app.Separator");
    return separator;
}

}  // namespace velmora::testing
