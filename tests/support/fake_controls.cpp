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
    log_.write("Form1.Caption", text);
    caption = text;
}
float FakeForm::Width() const {
    log_.read("Form1.Width");
    return width;
}
float FakeForm::Height() const {
    log_.read("Form1.Height");
    return height;
}
int FakeForm::WindowState() const {
    log_.read("Form1.WindowState");
    return windowState;
}

void FakeTimer::putInterval(int32_t milliseconds) {
    log_.write(name_ + ".Interval", std::to_string(milliseconds));
    interval = milliseconds;
}
void FakeTimer::putEnabled(bool on) {
    log_.write(name_ + ".Enabled", on ? "true" : "false");
    enabled = on;
}

int16_t FakeScrollBar::Max() const {
    log_.read(name_ + ".Max");
    return max;
}
void FakeScrollBar::putMax(int16_t newMax) {
    log_.write(name_ + ".Max", std::to_string(newMax));
    max = newMax;
    if (value > max) value = max;
}
int16_t FakeScrollBar::Value() const {
    log_.read(name_ + ".Value");
    return value;
}
void FakeScrollBar::putValue(int16_t newValue) {
    log_.write(name_ + ".Value", std::to_string(newValue));
    if (newValue < 0 || newValue > max) throw Failure(name_ + " cannot show " + std::to_string(newValue));
    value = newValue;
}
void FakeScrollBar::putSmallChange(int16_t step) {
    log_.write(name_ + ".SmallChange", std::to_string(step));
    smallChange = step;
}
void FakeScrollBar::putTop(float twips) {
    log_.write(name_ + ".Top", twipsText(twips));
    top = twips;
}
void FakeScrollBar::putWidth(float twips) {
    log_.write(name_ + ".Width", twipsText(twips));
    width = twips;
}

void FakeSlider::putSmallChange(int32_t step) {
    log_.write("Slider1.SmallChange", std::to_string(step));
    smallChange = step;
}
void FakeSlider::putMax(int32_t newMax) {
    log_.write("Slider1.Max", std::to_string(newMax));
    max = newMax;
}
void FakeSlider::putMin(int32_t newMin) {
    log_.write("Slider1.Min", std::to_string(newMin));
    min = newMin;
}
int32_t FakeSlider::Value() const {
    log_.read("Slider1.Value");
    return value;
}
void FakeSlider::putValue(int32_t newValue) {
    log_.write("Slider1.Value", std::to_string(newValue));
    value = newValue;
}
void FakeSlider::putTop(float twips) {
    log_.write("Slider1.Top", twipsText(twips));
    top = twips;
}

void FakeButton::putCaption(const std::string& text) {
    log_.write(name_ + ".Caption", text);
    caption = text;
}
void FakeButton::putBackColor(int32_t bgr) {
    log_.write(name_ + ".BackColor", std::to_string(bgr));
    backColor = bgr;
}
void FakeButton::putLeft(float twips) {
    log_.write(name_ + ".Left", twipsText(twips));
    left = twips;
}
void FakeButton::putTop(float twips) {
    log_.write(name_ + ".Top", twipsText(twips));
    top = twips;
}

void FakeDialog::putFileName(const std::string& name) {
    log_.write("dlg.FileName", name);
    fileName = name;
}
std::string FakeDialog::FileName() const {
    log_.read("dlg.FileName");
    return fileName;
}
void FakeDialog::putFlags(int32_t value) {
    log_.write("dlg.Flags", std::to_string(value));
    flags = value;
}
void FakeDialog::putFilter(const std::string& value) {
    log_.write("dlg.Filter", value);
    filter = value;
}
void FakeDialog::putInitDir(const std::string& folder) {
    log_.write("dlg.InitDir", folder);
    initDir = folder;
}
void FakeDialog::putMaxFileSize(int16_t characters) {
    log_.write("dlg.MaxFileSize", std::to_string(characters));
    maxFileSize = characters;
}
void FakeDialog::ShowOpen() {
    log_.call("dlg.ShowOpen");
    if (!openChoice) return;
    if (enforceMaxFileSize && openChoice->size() > static_cast<size_t>(maxFileSize)) {
        throw Failure("the chosen file names do not fit in " + std::to_string(maxFileSize) + " characters");
    }
    fileName = *openChoice;
}
int32_t FakeDialog::Color() const {
    log_.read("dlg.Color");
    return color;
}
bool FakeDialog::ShowColor() {
    log_.call("dlg.ShowColor");
    if (!colorChoice) return false;
    color = *colorChoice;
    return true;
}

std::string FakeAppFolder::Path() const {
    log_.read("app.Path");
    return path;
}
char FakeAppFolder::Separator() const {
    log_.read("app.Separator");
    return separator;
}

}  // namespace velmora::testing
