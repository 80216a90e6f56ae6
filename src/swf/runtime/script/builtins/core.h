#pragma once

namespace velmora::swf::script {

class Vm;

// The engine's own built-ins, installed by the Vm before the library.

// Object: the constructor, registerClass, and Object.prototype (toString, valueOf,
// hasOwnProperty, isPropertyEnumerable, isPrototypeOf, addProperty, watch, unwatch).
void installObjectBuiltins(Vm& vm);
// Function.prototype.call and apply.
void installFunctionBuiltins(Vm& vm);
// ASSetPropFlags, getVersion, ASnative (reported as unsupported), trace as a function.
void installGlobalBuiltins(Vm& vm);
// setInterval, clearInterval, setTimeout, clearTimeout.
void installTimerBuiltins(Vm& vm);
// AsBroadcaster.
void installBroadcaster(Vm& vm);
// The timeline methods of MovieClip.prototype (play, stop, gotoAndPlay, ...).
void installMovieClipBuiltins(Vm& vm);

}  // namespace velmora::swf::script
