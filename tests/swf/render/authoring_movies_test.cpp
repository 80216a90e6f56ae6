// Movies as the authoring tool makes them play without "script: unsupported": the
// component-pattern movie, a movie that calls on every part of the clip API and the objects
// beside it, and the bundled sample lessons. Whatever is reported is named in the failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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
