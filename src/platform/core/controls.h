#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// The window toolkit's controls as the handlers see them. Positions and sizes are twips
// (1440 to the inch); Left and Top count from the top-left corner of the window's client area.
// Every operation may raise a Failure.

// The main window.
class FormControl {
public:
    virtual ~FormControl() = default;
    virtual void putCaption(const std::string& caption) = 0;
    // Outer size in twips: the client area plus a fixed frame of 120 twips in width and 405 in
    // height, whatever frame the window system draws, so that the layout holds everywhere.
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    // 0 normal, 1 minimised, 2 maximised.
    virtual int WindowState() const = 0;
};

// A timer with interval 0 never ticks, even while enabled. A disabled timer keeps its interval;
// enabling it starts a full new interval before its first tick.
class TimerControl {
public:
    virtual ~TimerControl() = default;
    virtual void putInterval(int32_t milliseconds) = 0;
    virtual void putEnabled(bool enabled) = 0;
};

// A horizontal scroll bar: 16-bit values, minimum 0. Raises Scroll only while the user drags its
// thumb; writes by the program and arrow or track clicks raise none. A Value outside 0..Max is
// refused with a Failure; setting Max below Value moves Value down to the new maximum.
class ScrollBarControl {
public:
    virtual ~ScrollBarControl() = default;
    virtual int16_t Max() const = 0;
    virtual void putMax(int16_t max) = 0;
    virtual int16_t Value() const = 0;
    virtual void putValue(int16_t value) = 0;
    virtual void putSmallChange(int16_t step) = 0;
    virtual void putTop(float twips) = 0;
    virtual void putWidth(float twips) = 0;
};

// The speed slider. Raises Scroll for the user's moves only.
class SliderControl {
public:
    virtual ~SliderControl() = default;
    virtual void putSmallChange(int32_t step) = 0;
    virtual void putMax(int32_t max) = 0;
    virtual void putMin(int32_t min) = 0;
    virtual int32_t Value() const = 0;
    virtual void putValue(int32_t value) = 0;
    virtual void putTop(float twips) = 0;
};

// A command button. In graphical style its face is painted in BackColor (0x00BBGGRR).
class ButtonControl {
public:
    virtual ~ButtonControl() = default;
    virtual void putCaption(const std::string& caption) = 0;
    virtual void putBackColor(int32_t bgr) = 0;
    virtual void putLeft(float twips) = 0;
    virtual void putTop(float twips) = 0;
};

// The movie area of swf1 as a placed control.
class MovieAreaControl {
public:
    virtual ~MovieAreaControl() = default;
    virtual void putWidth(float twips) = 0;
    virtual void putHeight(float twips) = 0;
};

// The common dialog: file-open and colour. Both dialogs are modal and a cancel raises no failure.
class CommonDialogControl {
public:
    virtual ~CommonDialogControl() = default;
    virtual void putFileName(const std::string& name) = 0;
    // After ShowOpen: one full path, or the folder followed by the chosen names, each item
    // separated from the next by one NUL character. A cancel leaves it as it was set.
    virtual std::string FileName() const = 0;
    virtual void putFlags(int32_t flags) = 0;
    virtual void putFilter(const std::string& filter) = 0;
    virtual void putInitDir(const std::string& folder) = 0;
    virtual void putMaxFileSize(int16_t characters) = 0;
    // Raises a Failure when the result would not fit in MaxFileSize characters.
    virtual void ShowOpen() = 0;
    // The colour last confirmed, 0x00BBGGRR; 0 until the user first confirms one.
    virtual int32_t Color() const = 0;
    // Returns true when the user confirmed a colour, false on a cancel.
    virtual bool ShowColor() = 0;
};

// Where the program file lies.
class AppFolder {
public:
    virtual ~AppFolder() = default;
    // The folder, without a trailing separator except at the root of a drive or file system.
    virtual std::string Path() const = 0;
    // The platform's own path separator: '\\' on Windows, '/' elsewhere.
    virtual char Separator() const = 0;
};

}  // namespace velmora
