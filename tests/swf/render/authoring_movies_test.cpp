// Movies as the authoring tool makes them play without "script: unsupported": the
// component-pattern movie, a movie that calls on every part of the clip API and the objects
// beside it, one that calls on the keyboard, focus, data, sound and services, and the bundled
// sample lessons. Whatever is reported is named in the failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "component_movie.h"
#include "script_stage.h"
#include "swf/format/movie_loader.h"
#include "swf/render/bitmap_data_painter.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"

namespace velmora::swf::test {
namespace {

using velmora::test::Action;
using velmora::test::PushInt;
using velmora::test::PushNull;

// The "script: unsupported ..." lines among the movie's messages.
std::vector<std::string> unsupported(const MovieInstance& movie) {
    std::vector<std::string> out;
    for (const std::string& m : movie.messages()) {
        if (m.find("unsupported") != std::string::npos) out.push_back(m);
    }
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += "\n  " + line;
    return out;
}

// Plays the movie as the player would, with its pictures, for `ticks` frames; the pointer
// crosses the stage and clicks in its middle on the way.
std::vector<std::string> playAndListen(const std::vector<uint8_t>& bytes, int ticks) {
    const auto movie = parseMovie(bytes);
    BitmapDataPainter pictures(movie);
    MovieInstance::Options options;
    options.pictures = &pictures;
    MovieInstance instance(movie, options);
    PointerInput pointer(instance);
    const double width = movie->stage.width(), height = movie->stage.height();
    for (int i = 0; i < ticks && !instance.quitRequested(); ++i) {
        pointer.move(width * (i % 20) / 20.0, height / 2);
        if (i % 20 == 10) {
            pointer.press();
            pointer.release();
        }
        instance.tick();
    }
    return unsupported(instance);
}

// into = new classPath(args...)
Avm1Assembler& construct(Avm1Assembler& a, const std::string& into, const std::string& classPath,
                         const std::vector<Arg>& args) {
    a.push({into});
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        if (const auto* v = std::get_if<Var>(&*it)) a.get(v->name);
        else a.push({std::get<PushItem>(*it)});
    }
    a.push({PushInt{static_cast<int32_t>(args.size())}});
    const size_t dot = classPath.rfind('.');
    if (dot == std::string::npos) {
        a.push({classPath}).op(Action::NewObject);
    } else {
        a.get(classPath.substr(0, dot)).push({classPath.substr(dot + 1)}).op(Action::NewMethod);
    }
    return a.op(Action::SetVariable);
}
// target.name = value
Avm1Assembler& setValue(Avm1Assembler& a, const std::string& target, const std::string& name, const Arg& value) {
    a.get(target).push({name});
    if (const auto* v = std::get_if<Var>(&value)) a.get(v->name);
    else a.push({std::get<PushItem>(value)});
    return a.op(Action::SetMember);
}

// Every method and property of the clip API, and the objects beside it, called as a movie would.
Avm1Assembler apiTour() {
    Avm1Assembler a;
    call(a, "_root", "createEmptyMovieClip", {"c", PushInt{1}}, "c");
    call(a, "_root", "attachMovie", {"box", "b", PushInt{2}}, "b");
    call(a, "b", "duplicateMovieClip", {"b2", PushInt{3}}, "b2");
    // The drawing API with all its arguments.
    call(a, "c", "lineStyle", {PushInt{2}, PushInt{0xFF}, PushInt{100}, true, "normal", "round", "miter", PushInt{3}});
    setArray(a, "colours", {PushInt{0xFF0000}, PushInt{0x0000FF}});
    setArray(a, "alphas", {PushInt{100}, PushInt{50}});
    setArray(a, "ratios", {PushInt{0}, PushInt{255}});
    setObject(a, "box", {{"matrixType", "box"}, {"x", PushInt{0}}, {"y", PushInt{0}}, {"w", PushInt{20}},
                         {"h", PushInt{20}}, {"r", PushInt{0}}});
    call(a, "c", "lineGradientStyle", {"linear", Var{"colours"}, Var{"alphas"}, Var{"ratios"}, Var{"box"}});
    call(a, "c", "beginGradientFill",
         {"radial", Var{"colours"}, Var{"alphas"}, Var{"ratios"}, Var{"box"}, "reflect", "linearRGB", 0.5});
    call(a, "c", "moveTo", {PushInt{0}, PushInt{0}});
    call(a, "c", "lineTo", {PushInt{20}, PushInt{0}});
    call(a, "c", "curveTo", {PushInt{20}, PushInt{20}, PushInt{0}, PushInt{20}});
    call(a, "c", "endFill", {});
    newBitmapData(a, "pic", {PushInt{8}, PushInt{8}, false, PushInt{0x00FF00}});
    call(a, "c", "beginBitmapFill", {Var{"pic"}, PushNull{}, true, false});
    call(a, "c", "lineTo", {PushInt{5}, PushInt{5}});
    call(a, "c", "endFill", {});
    call(a, "c", "attachBitmap", {Var{"pic"}, PushInt{5}, "auto", true});
    call(a, "c", "clear", {});
    // Timeline control.
    for (const char* m : {"play", "stop", "nextFrame", "prevFrame"}) call(a, "b", m, {});
    call(a, "b", "gotoAndPlay", {PushInt{1}});
    call(a, "b", "gotoAndStop", {"start"});
    // Depths, geometry, dragging, masks, loading figures.
    call(a, "b2", "swapDepths", {PushInt{9}});
    call(a, "b2", "swapDepths", {Var{"b"}});
    call(a, "b", "getDepth", {});
    call(a, "_root", "getNextHighestDepth", {});
    call(a, "_root", "getInstanceAtDepth", {PushInt{2}});
    call(a, "b", "getBounds", {Var{"_root"}});
    call(a, "b", "getRect", {Var{"_root"}});
    setObject(a, "p", {{"x", PushInt{1}}, {"y", PushInt{1}}});
    call(a, "b", "localToGlobal", {Var{"p"}});
    call(a, "b", "globalToLocal", {Var{"p"}});
    call(a, "b", "hitTest", {PushInt{1}, PushInt{1}, true});
    call(a, "b", "hitTest", {Var{"b2"}});
    call(a, "b", "startDrag", {false, PushInt{0}, PushInt{0}, PushInt{50}, PushInt{50}});
    call(a, "b", "stopDrag", {});
    call(a, "b2", "setMask", {Var{"c"}});
    call(a, "b2", "setMask", {PushNull{}});
    for (const char* m : {"getBytesLoaded", "getBytesTotal", "getSWFVersion"}) call(a, "b", m, {});
    call(a, "b", "attachAudio", {PushNull{}});
    // Every property, set where it may be and read back.
    const std::pair<const char*, PushItem> properties[] = {
        {"_x", PushInt{5}}, {"_y", PushInt{5}}, {"_xscale", PushInt{150}}, {"_yscale", PushInt{50}},
        {"_rotation", PushInt{30}}, {"_alpha", PushInt{80}}, {"_visible", true}, {"_width", PushInt{30}},
        {"_height", PushInt{20}}, {"_name", "b"}, {"_quality", "HIGH"}, {"_focusrect", false},
        {"_soundbuftime", PushInt{5}}, {"_lockroot", true}, {"enabled", true}, {"useHandCursor", false},
        {"tabEnabled", true}, {"tabIndex", PushInt{1}}, {"tabChildren", true}, {"blendMode", "multiply"},
        {"cacheAsBitmap", true}, {"opaqueBackground", PushInt{0xFFFFFF}}};
    for (const auto& [name, value] : properties) setValue(a, "b", name, value);
    for (const char* name : {"_xmouse", "_ymouse", "_currentframe", "_totalframes", "_framesloaded", "_target",
                             "_parent", "_droptarget", "_url", "hitArea", "filters", "scale9Grid", "transform",
                             "menu"}) {
        a.get("b").push({name}).op(Action::GetMember).op(Action::Pop);
    }
    setValue(a, "b", "hitArea", Var{"b2"});
    // Color, flash.geom, flash.filters.
    construct(a, "col", "Color", {Var{"b"}});
    call(a, "col", "setRGB", {PushInt{0xFF0000}});
    call(a, "col", "getRGB", {});
    setObject(a, "t", {{"ra", PushInt{50}}, {"ba", PushInt{50}}});
    call(a, "col", "setTransform", {Var{"t"}});
    call(a, "col", "getTransform", {});
    construct(a, "m", "flash.geom.Matrix", {});
    call(a, "m", "createBox", {PushInt{2}, PushInt{2}, PushInt{0}, PushInt{5}, PushInt{5}});
    call(a, "m", "translate", {PushInt{1}, PushInt{1}});
    construct(a, "pt", "flash.geom.Point", {PushInt{3}, PushInt{4}});
    call(a, "pt", "add", {Var{"pt"}});
    construct(a, "r", "flash.geom.Rectangle", {PushInt{0}, PushInt{0}, PushInt{10}, PushInt{10}});
    call(a, "r", "union", {Var{"r"}});
    construct(a, "ct", "flash.geom.ColorTransform", {1.0, 1.0, 1.0, 1.0, PushInt{10}, PushInt{0}, PushInt{0}, PushInt{0}});
    construct(a, "tf", "flash.geom.Transform", {Var{"b"}});
    setValue(a, "tf", "colorTransform", Var{"ct"});
    setValue(a, "tf", "matrix", Var{"m"});
    for (const char* filter : {"BlurFilter", "DropShadowFilter", "GlowFilter", "BevelFilter", "ColorMatrixFilter",
                               "ConvolutionFilter", "GradientGlowFilter", "GradientBevelFilter"}) {
        construct(a, filter, std::string("flash.filters.") + filter, {});
        call(a, filter, "clone", {});
    }
    a.get("b").push({"filters"});
    for (const char* filter : {"BlurFilter", "GlowFilter"}) a.get(filter);
    a.push({PushInt{2}}).op(Action::InitArray).op(Action::SetMember);
    // BitmapData.
    call(a, "pic", "fillRect", {Var{"r"}, PushInt{0xFF0000}});
    call(a, "pic", "setPixel", {PushInt{1}, PushInt{1}, PushInt{0xFF}});
    call(a, "pic", "getPixel", {PushInt{1}, PushInt{1}});
    call(a, "pic", "noise", {PushInt{7}});
    call(a, "pic", "draw", {Var{"b"}});
    construct(a, "origin", "flash.geom.Point", {PushInt{0}, PushInt{0}});
    call(a, "pic", "copyPixels", {Var{"pic"}, Var{"r"}, Var{"origin"}});
    call(a, "pic", "clone", {});
    // Mouse, Stage, ContextMenu, System.capabilities, Selection.
    setObject(a, "l", {});
    for (const char* object : {"Mouse", "Stage"}) call(a, object, "addListener", {Var{"l"}});
    call(a, "Mouse", "hide", {});
    call(a, "Mouse", "show", {});
    for (const char* name : {"width", "height"}) a.get("Stage").push({name}).op(Action::GetMember).op(Action::Pop);
    setValue(a, "Stage", "scaleMode", "noScale");
    setValue(a, "Stage", "align", "TL");
    setValue(a, "Stage", "showMenu", false);
    construct(a, "menu", "ContextMenu", {});
    call(a, "menu", "hideBuiltInItems", {});
    construct(a, "item", "ContextMenuItem", {"About", Var{"l"}});
    call(a, "menu.customItems", "push", {Var{"item"}});
    setValue(a, "b", "menu", Var{"menu"});
    a.get("System").push({"capabilities"}).op(Action::GetMember).push({"os"}).op(Action::GetMember).op(Action::Pop);
    a.push({PushInt{0}, "getVersion"}).op(Action::CallFunction).op(Action::Pop);
    call(a, "Selection", "setFocus", {Var{"b"}});
    call(a, "Selection", "getFocus", {});
    // Classes: AsBroadcaster, registerClass, and removal last.
    call(a, "AsBroadcaster", "initialize", {Var{"l"}});
    call(a, "l", "broadcastMessage", {"onNothing"});
    call(a, "Object", "registerClass", {"box", PushNull{}});
    call(a, "b2", "removeMovieClip", {});
    return a;
}

// Reads target.name and drops it.
Avm1Assembler& touch(Avm1Assembler& a, const std::string& target, const std::string& name) {
    return a.get(target).push({name}).op(Action::GetMember).op(Action::Pop);
}
// target.name = function (ok) { trace(label + ok); }
Avm1Assembler& traceHandler(Avm1Assembler& a, const std::string& target, const std::string& name,
                            const std::string& label) {
    Avm1Assembler body;
    body.push({label}).push({"ok"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
    return a.get(target).push({name}).defineFunction("", {"ok"}, body).op(Action::SetMember);
}

// The keyboard, the focus, data, sound and the services beside them, called as quizzes call
// them: every name a lesson may use from these objects.
Avm1Assembler servicesTour() {
    Avm1Assembler a;
    // Key: its questions, constants and listeners.
    setObject(a, "l", {});
    call(a, "Key", "addListener", {Var{"l"}});
    for (const char* m : {"getCode", "getAscii"}) call(a, "Key", m, {});
    call(a, "Key", "isDown", {PushInt{65}});
    call(a, "Key", "isToggled", {PushInt{20}});
    for (const char* k : {"BACKSPACE", "CAPSLOCK", "CONTROL", "DELETEKEY", "DOWN", "END", "ENTER", "ESCAPE", "HOME",
                          "INSERT", "LEFT", "PGDN", "PGUP", "RIGHT", "SHIFT", "SPACE", "TAB", "UP"}) {
        touch(a, "Key", k);
    }
    call(a, "Key", "removeListener", {Var{"l"}});
    // Selection on a field made by script, by path and by reference.
    call(a, "Selection", "addListener", {Var{"l"}});
    call(a, "_root", "createTextField", {"answer", PushInt{1}, PushInt{0}, PushInt{0}, PushInt{80}, PushInt{20}}, "f");
    setValue(a, "answer", "type", "input");
    setValue(a, "answer", "text", "Beijing");
    call(a, "Selection", "setFocus", {"answer"});
    call(a, "Selection", "setFocus", {Var{"answer"}});
    call(a, "Selection", "setSelection", {PushInt{0}, PushInt{3}});
    for (const char* m : {"getFocus", "getBeginIndex", "getEndIndex", "getCaretIndex"}) call(a, "Selection", m, {});
    call(a, "Selection", "setFocus", {PushNull{}});
    call(a, "Selection", "removeListener", {Var{"l"}});
    // XML built, read, edited and written; a file beside the movie loaded into it.
    construct(a, "x", "XML", {"<?xml version=\"1.0\"?><!DOCTYPE quiz><quiz><q id=\"1\">Why?</q></quiz>"});
    for (const char* name : {"status", "xmlDecl", "docTypeDecl", "contentType", "ignoreWhite", "loaded", "firstChild"}) {
        touch(a, "x", name);
    }
    construct(a, "node", "XMLNode", {PushInt{1}, "q"});
    a.push({"q"}).get("x").push({"firstChild"}).op(Action::GetMember).op(Action::SetVariable);
    for (const char* name : {"firstChild", "lastChild", "nextSibling", "previousSibling", "parentNode", "childNodes",
                             "nodeName", "nodeValue", "nodeType", "attributes"}) {
        touch(a, "q", name);
    }
    call(a, "x", "createElement", {"a"}, "e");
    call(a, "x", "createTextNode", {"Because"}, "t");
    call(a, "e", "appendChild", {Var{"t"}});
    call(a, "q", "appendChild", {Var{"e"}});
    call(a, "q", "insertBefore", {Var{"t"}, Var{"e"}});
    call(a, "q", "cloneNode", {true});
    call(a, "q", "hasChildNodes", {});
    call(a, "e", "removeNode", {});
    call(a, "x", "toString", {});
    call(a, "x", "parseXML", {"<quiz/>"});
    call(a, "x", "addRequestHeader", {"Accept", "text/xml"});
    for (const char* m : {"getBytesLoaded", "getBytesTotal"}) call(a, "x", m, {});
    call(a, "x", "send", {"http://example.com/answers"});
    call(a, "x", "sendAndLoad", {"http://example.com/answers", Var{"x"}});
    traceHandler(a, "x", "onLoad", "xml ");
    call(a, "x", "load", {"questions.xml"});
    // LoadVars: decoded, written, loaded from beside the movie.
    construct(a, "v", "LoadVars", {});
    call(a, "v", "decode", {"score=5&name=Li"});
    call(a, "v", "toString", {});
    call(a, "v", "addRequestHeader", {"X", "1"});
    call(a, "v", "send", {"http://example.com/", "_blank", "POST"});
    construct(a, "reply", "LoadVars", {});
    call(a, "v", "sendAndLoad", {"http://example.com/", Var{"reply"}, "POST"});
    traceHandler(a, "v", "onLoad", "vars ");
    call(a, "v", "load", {"vars.txt"});
    for (const char* m : {"getBytesLoaded", "getBytesTotal"}) call(a, "v", m, {});
    call(a, "_root", "loadVariables", {"vars.txt"});
    // The services a desktop player keeps to itself.
    call(a, "SharedObject", "getLocal", {"quiz"}, "so");
    touch(a, "so", "data");
    for (const char* m : {"flush", "getSize", "clear"}) call(a, "so", m, {});
    construct(a, "lc", "LocalConnection", {});
    call(a, "lc", "connect", {"quiz"});
    call(a, "lc", "send", {"quiz", "next"});
    call(a, "lc", "close", {});
    construct(a, "pj", "PrintJob", {});
    call(a, "pj", "start", {});
    call(a, "pj", "addPage", {PushInt{0}});
    call(a, "pj", "send", {});
    touch(a, "flash.external.ExternalInterface", "available");
    call(a, "flash.external.ExternalInterface", "call", {"score", PushInt{5}});
    call(a, "flash.external.ExternalInterface", "addCallback", {"next", PushNull{}, PushNull{}});
    call(a, "System.security", "allowDomain", {"*"});
    setValue(a, "System", "useCodepage", true);
    for (const char* name : {"os", "language", "version", "screenResolutionX", "hasAudio", "playerType"}) {
        touch(a, "System.capabilities", name);
    }
    call(a, "System", "setClipboard", {"Beijing"});
    a.getUrl("FSCommand:allowscale", "false");
    // The clock of the quiz.
    construct(a, "d", "Date", {});
    for (const char* m : {"getTimezoneOffset", "getHours", "getMinutes", "getSeconds", "toString"}) call(a, "d", m, {});
    // Sound: a library sound and a file beside the movie.
    construct(a, "s", "Sound", {Var{"_root"}});
    call(a, "s", "attachSound", {"ding"});
    call(a, "s", "start", {PushInt{0}, PushInt{2}});
    for (const char* name : {"position", "duration", "id3"}) touch(a, "s", name);
    call(a, "s", "setVolume", {PushInt{50}});
    call(a, "s", "setPan", {PushInt{-20}});
    setObject(a, "mix", {{"ll", PushInt{100}}, {"lr", PushInt{0}}, {"rl", PushInt{0}}, {"rr", PushInt{100}}});
    call(a, "s", "setTransform", {Var{"mix"}});
    for (const char* m : {"getVolume", "getPan", "getTransform", "getBytesLoaded", "getBytesTotal"}) call(a, "s", m, {});
    traceHandler(a, "s", "onSoundComplete", "done ");
    traceHandler(a, "s", "onID3", "id3 ");
    call(a, "s", "stop", {"ding"});
    call(a, "s", "stop", {});
    construct(a, "n", "Sound", {});
    traceHandler(a, "n", "onLoad", "sound ");
    call(a, "n", "loadSound", {"missing.mp3", false});
    a.trace(std::string("tour done"));
    return a;
}

TEST(AuthoringMovies, NothingTheyUseIsReportedUnsupported) {
    EXPECT_EQ(playAndListen(componentMovie(), 40), std::vector<std::string>{});

    const Avm1Assembler tour = apiTour();
    ScriptStage stage(tour, [](velmora::test::SwfWriter& swf) {
        swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
        velmora::test::SwfTagList box;
        box.frameLabel("start");
        box.placeObject2({.depth = 1, .characterId = 1}).showFrame().showFrame();
        swf.defineSprite(2, box);
        swf.exportAssets({{2, "box"}});
    });
    for (int i = 0; i < 3; ++i) stage.instance->tick();
    EXPECT_EQ(unsupported(*stage.instance), std::vector<std::string>{});
    // The tour ran to its end: no script was stopped on the way.
    for (const std::string& m : stage.messages()) EXPECT_EQ(m.find("script"), std::string::npos) << m;

    // The services tour, in a folder of its own with the files it reads.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("velmora-tour-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "questions.xml") << "<quiz><q>Capital?</q></quiz>";
    std::ofstream(folder / "vars.txt") << "score=5";
    MovieInstance::Options options;
    options.url = (folder / "quiz.swf").string();
    ScriptStage services(servicesTour(), [](velmora::test::SwfWriter& swf) {
        const std::vector<uint8_t> silence(200, 0);
        swf.defineSound(1, {.format = 0, .rateCode = 1, .is16Bit = false, .stereo = false}, 200, silence);
        swf.exportAssets({{1, "ding"}});
    }, options);
    for (int i = 0; i < 3; ++i) services.instance->tick();
    std::filesystem::remove_all(folder);
    EXPECT_EQ(unsupported(*services.instance), std::vector<std::string>{});
    const std::vector<std::string> traces = services.traces();
    for (const char* heard : {"tour done", "xml true", "vars true", "sound false"}) {
        EXPECT_NE(std::find(traces.begin(), traces.end(), heard), traces.end()) << heard << joined(services.messages());
    }

    for (const char* folder : {"swf", "mp3"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(VELMORA_SOURCE_DIR) + "/samples/" + folder)) {
            if (entry.path().extension() != ".swf") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const auto reported = playAndListen(bytes, 300);
            EXPECT_TRUE(reported.empty()) << entry.path() << joined(reported);
        }
    }
}

}  // namespace
}  // namespace velmora::swf::test
