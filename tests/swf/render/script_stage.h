#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "swf/render/bitmap_data_painter.h"
#include "swf/render/field_text_measure.h"
#include "swf/render/render_resources.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf::test {

using velmora::test::Avm1Assembler;
using velmora::test::PushItem;

// A variable's value as an argument, where a literal would be a PushItem.
struct Var {
    std::string name;
};
using Arg = std::variant<PushItem, Var>;

// target.method(args...); the result goes into the variable into, or is dropped when into is
// empty. target is a variable name ("_root", "s") or a dotted path of members ("flash.display").
Avm1Assembler& call(Avm1Assembler& a, const std::string& target, const std::string& method,
                    const std::vector<Arg>& args, const std::string& into = {});
// into = new flash.display.BitmapData(args...).
Avm1Assembler& newBitmapData(Avm1Assembler& a, const std::string& into, const std::vector<Arg>& args);
// into = {key: value, ...} / [items...].
Avm1Assembler& setObject(Avm1Assembler& a, const std::string& into,
                         const std::vector<std::pair<std::string, PushItem>>& fields);
Avm1Assembler& setArray(Avm1Assembler& a, const std::string& into, const std::vector<PushItem>& items);
// trace(target.method(args...)).
Avm1Assembler& traceCall(Avm1Assembler& a, const std::string& target, const std::string& method,
                         const std::vector<Arg>& args);

// A 100 x 100 pixel SWF 8 movie whose first frame runs code, played with a picture painter and a
// text measure as the player plays it. setup adds definitions and placements before the script.
struct ScriptStage {
    explicit ScriptStage(const Avm1Assembler& code, const std::function<void(velmora::test::SwfWriter&)>& setup = {},
                         MovieInstance::Options options = {});

    // Runs more code on the root, as a later script would.
    void run(const Avm1Assembler& code);
    // The stage as the player shows it, 100 x 100 on white.
    QImage render();
    // trace() lines, and every message (diagnostics included).
    std::vector<std::string> traces() const;
    std::vector<std::string> messages() const;

    std::shared_ptr<const Movie> movie;
    std::unique_ptr<BitmapDataPainter> pictures;
    std::unique_ptr<FieldTextMeasure> textMeasure;
    std::unique_ptr<MovieInstance> instance;
    RenderResources resources;
};

}  // namespace velmora::swf::test
