#pragma once

#include <cstdint>
#include <vector>

namespace velmora::swf::test {

// A movie built the way the authoring tool builds movies that use its user-interface components,
// with small components of our own in their place (the real ones do not ship with us):
//
//  - class code in #initclip blocks (DoInitAction) of library symbols, under _global packages:
//    mx.core.UIObject -> mx.core.UIComponent -> mx.controls.Button -> mx.controls.CheckBox, and
//    mx.controls.List beside Button; constructors and methods call up the chain through super;
//  - Object.registerClass ties the linkage names "Button", "CheckBox" and "List" to the classes;
//    a createClassObject factory (on MovieClip.prototype, as the components' extensions put it
//    there) attaches a class's symbol by its static symbolName;
//  - Button attaches its skin ("ButtonSkin", a 40 x 20 pixel frame with a grey centre and a
//    scaling grid 5 pixels in; CheckBox uses "CheckSkin", 20 x 20, given its grid by script) and
//    sizes it in draw(); invalidate() defers draw() to the next frame through doLater and
//    onEnterFrame;
//  - listeners through AsBroadcaster: dispatchEvent({type: ...}) calls listener[type](event) with
//    event.target set;
//  - onRollOver / onRollOut / onPress / onRelease move the skin to its frame 2 (over, green
//    frame), 3 (down, black frame) or 1 (up: red for the button, blue for the check box);
//    onPress takes the focus with Selection.setFocus, and onSetFocus / onKillFocus send
//    focusIn / focusOut;
//  - setStyle / getStyle through a style declaration object: a component's own style, else
//    _global.style's.
//
// The root's first frame makes a Button "ok" at (10, 20) sized 80 x 40, a CheckBox "check" at
// (150, 10), and a List "list" at (130, 50) of five 60 x 10 rows (red, green, blue, yellow,
// magenta) showing three at a time through a mask, scrolled to its third row; a listener traces
// every event as "TYPE NAME [detail]". The root stops on that frame. The stage is 200 x 100 pixels.
std::vector<uint8_t> componentMovie();

}  // namespace velmora::swf::test
