#pragma once

namespace velmora::swf::script {

class Vm;

// Installs the built-in library on vm's _global and realm prototypes: Array, String, Number,
// Boolean, Math, Date, Error and the global functions (parseInt, parseFloat, isNaN, isFinite,
// escape, unescape, Number, String, Boolean, int, chr, ord, mbchr, mbord, mblength, mbsubstring,
// substring, length, random, getTimer). Called once by the Vm after the core (Object, Function,
// _global, trace, ASSetPropFlags, setInterval and the other timers, getVersion, AsBroadcaster,
// ASnative) is in place.
void installLibrary(Vm& vm);

}  // namespace velmora::swf::script
