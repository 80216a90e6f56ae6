// The third-party corpus of single tags: every case is read, the fields our model shares with the
// expected values agree, and every damaged body is refused with a warning, never a crash.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/json_value.h"
#include "support/required_fixtures.h"
#include "support/swf_writer.h"
#include "swf/format/bitmap.h"
#include "swf/format/button.h"
#include "swf/format/font.h"
#include "swf/format/movie_loader.h"
#include "swf/format/shape.h"
#include "swf/format/sound.h"
#include "swf/format/sprite.h"
#include "swf/format/tag_code.h"
#include "swf/format/text.h"

namespace velmora::swf {
namespace {

namespace fs = std::filesystem;
using test::JsonValue;

struct CorpusCase {
    std::string name;  // group/case
    std::vector<uint8_t> input;
    JsonValue expected;
};

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> fromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

fs::path corpusDir() { return fs::path(VELMORA_CORPUS_DIR) / "swf-tags"; }

std::vector<CorpusCase> loadCases() {
    std::vector<CorpusCase> cases;
    for (const auto& group : fs::directory_iterator(corpusDir())) {
        if (!group.is_directory()) continue;
        for (const auto& dir : fs::directory_iterator(group.path())) {
            if (!fs::exists(dir.path() / "input.bytes") || !fs::exists(dir.path() / "value.json")) continue;
            auto json = readBytes(dir.path() / "value.json");
            cases.push_back({group.path().filename().string() + "/" + dir.path().filename().string(),
                             readBytes(dir.path() / "input.bytes"),
                             JsonValue::parse(std::string(json.begin(), json.end()))});
        }
    }
    std::sort(cases.begin(), cases.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return cases;
}

// The corpus rarely says which SWF version a tag came from; only clip event flags depend on it.
uint8_t versionFor(const CorpusCase& c) { return c.name.find("swf5") != std::string::npos ? 5 : 10; }

// A DefineFont with `glyphs` empty outlines, for the tags that complete a font.
void defineEmptyFont(test::SwfTagList& swf, uint16_t id, size_t glyphs) {
    test::BitWriter w;
    w.u16(id);
    for (size_t i = 0; i < glyphs; ++i) w.u16(static_cast<uint16_t>(glyphs * 2));
    swf.rawTag(kTagDefineFont, w.take());
}

// Wraps the case's tag record in a movie of its own, with what the tag needs before it.
std::shared_ptr<const Movie> movieFor(const CorpusCase& c) {
    test::SwfWriter swf(versionFor(c));
    const auto& v = c.expected;
    std::string type = v["type"].asString();
    if (type == "DefineFontInfo") defineEmptyFont(swf, static_cast<uint16_t>(v["font_id"].asInt()), v["code_units"].asArray().size());
    if (type == "DefineFontAlignZones") defineEmptyFont(swf, static_cast<uint16_t>(v["font_id"].asInt()), v["zones"].asArray().size());
    if (type == "DefineFontName") defineEmptyFont(swf, static_cast<uint16_t>(v["font_id"].asInt()), 0);
    if (type == "DefineButtonSound") {
        test::BitWriter button;
        button.u16(static_cast<uint16_t>(v["button_id"].asInt()));
        button.u8(0);
        swf.rawTag(kTagDefineButton, button.take());
    }
    swf.rawBytes(c.input);
    if (type == "DefineJpegTables") swf.rawTag(kTagDefineBits, {0x01, 0x00, 0xFF, 0xD8, 0xFF, 0xD9});
    swf.showFrame();
    return parseMovie(swf.bytes());
}

template <typename T>
const T& character(const Movie& movie, const JsonValue& id) {
    auto* c = dynamic_cast<const T*>(movie.character(static_cast<uint16_t>(id.asInt())));
    if (c == nullptr) throw std::runtime_error("character " + std::to_string(id.asInt()) + " is missing");
    return *c;
}

void expectRect(const JsonValue& j, const Rect& r) {
    EXPECT_EQ(r.xMin, j["x_min"].asInt());
    EXPECT_EQ(r.xMax, j["x_max"].asInt());
    EXPECT_EQ(r.yMin, j["y_min"].asInt());
    EXPECT_EQ(r.yMax, j["y_max"].asInt());
}

void expectMatrix(const JsonValue& j, const Matrix& m) {
    EXPECT_EQ(std::lround(m.a * 65536), j["scale_x"].asInt());
    EXPECT_EQ(std::lround(m.d * 65536), j["scale_y"].asInt());
    EXPECT_EQ(std::lround(m.b * 65536), j["rotate_skew0"].asInt());
    EXPECT_EQ(std::lround(m.c * 65536), j["rotate_skew1"].asInt());
    EXPECT_EQ(m.tx, j["translate_x"].asNumber());
    EXPECT_EQ(m.ty, j["translate_y"].asNumber());
}

void expectColor(const JsonValue& j, const Rgba& c) {
    EXPECT_EQ(c.r, j["r"].asInt());
    EXPECT_EQ(c.g, j["g"].asInt());
    EXPECT_EQ(c.b, j["b"].asInt());
    EXPECT_EQ(c.a, j.has("a") ? j["a"].asInt() : 255);
}

void expectColorTransform(const JsonValue& j, const ColorTransform& cx) {
    EXPECT_EQ(std::lround(cx.rMult * 256), j["red_mult"].asInt());
    EXPECT_EQ(std::lround(cx.gMult * 256), j["green_mult"].asInt());
    EXPECT_EQ(std::lround(cx.bMult * 256), j["blue_mult"].asInt());
    EXPECT_EQ(std::lround(cx.aMult * 256), j["alpha_mult"].asInt());
    EXPECT_EQ(cx.rAdd, j["red_add"].asInt());
    EXPECT_EQ(cx.gAdd, j["green_add"].asInt());
    EXPECT_EQ(cx.bAdd, j["blue_add"].asInt());
    EXPECT_EQ(cx.aAdd, j["alpha_add"].asInt());
}

// A style index a record may leave out: present exactly when the corpus names it, and then equal.
void expectOptionalIndex(const std::optional<uint32_t>& actual, const JsonValue& e, const std::string& key) {
    EXPECT_EQ(actual.has_value(), e.has(key)) << key;
    if (actual && e.has(key)) { EXPECT_EQ(*actual, e[key].asInt()) << key; }
}

// Shape records: the corpus writes a curve's delta as the whole move, control included.
void expectRecords(const JsonValue& j, const std::vector<ShapeRecord>& records) {
    const auto& expected = j.asArray();
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const auto& e = expected[i];
        if (e["type"].asString() == "StyleChange") {
            auto* change = std::get_if<StyleChangeRecord>(&records[i]);
            ASSERT_NE(change, nullptr);
            EXPECT_EQ(change->moveTo.has_value(), e.has("move_to"));
            if (change->moveTo && e.has("move_to")) {
                EXPECT_EQ(change->moveTo->first, e["move_to"]["x"].asInt());
                EXPECT_EQ(change->moveTo->second, e["move_to"]["y"].asInt());
            }
            expectOptionalIndex(change->fillStyle0, e, "left_fill");
            expectOptionalIndex(change->fillStyle1, e, "right_fill");
            expectOptionalIndex(change->lineStyle, e, "line_style");
            EXPECT_EQ(change->hasNewStyles, e.has("new_styles"));
        } else if (e.has("control_delta")) {
            auto* curve = std::get_if<CurvedEdgeRecord>(&records[i]);
            ASSERT_NE(curve, nullptr);
            EXPECT_EQ(curve->controlDx, e["control_delta"]["x"].asInt());
            EXPECT_EQ(curve->controlDy, e["control_delta"]["y"].asInt());
            EXPECT_EQ(curve->controlDx + curve->anchorDx, e["delta"]["x"].asInt());
            EXPECT_EQ(curve->controlDy + curve->anchorDy, e["delta"]["y"].asInt());
        } else {
            auto* edge = std::get_if<StraightEdgeRecord>(&records[i]);
            ASSERT_NE(edge, nullptr);
            EXPECT_EQ(edge->dx, e["delta"]["x"].asInt());
            EXPECT_EQ(edge->dy, e["delta"]["y"].asInt());
        }
    }
}

void expectFill(const JsonValue& j, const FillStyle& f) {
    std::string type = j["type"].asString();
    if (type == "Solid") {
        EXPECT_EQ(f.type, FillStyle::Type::Solid);
        expectColor(j["color"], f.color);
    } else if (type == "Bitmap") {
        EXPECT_TRUE(f.isBitmap());
        EXPECT_EQ(f.bitmapId, j["bitmap_id"].asInt());
    } else {
        EXPECT_TRUE(f.isGradient()) << type;
        if (j.has("matrix")) expectMatrix(j["matrix"], f.matrix);
        if (j.has("gradient")) { EXPECT_EQ(f.gradient.stops.size(), j["gradient"]["colors"].asArray().size()); }
    }
}

void checkShape(const Movie& movie, const JsonValue& v) {
    const auto& shape = character<ShapeCharacter>(movie, v["id"]);
    expectRect(v["bounds"], shape.bounds);
    if (v.has("edge_bounds")) expectRect(v["edge_bounds"], shape.edgeBounds);
    EXPECT_EQ(shape.usesFillWindingRule, v["has_fill_winding"].asBool());
    EXPECT_EQ(shape.usesScalingStrokes, v["has_scaling_strokes"].asBool());
    const auto& styles = v["shape"]["initial_styles"];
    ASSERT_EQ(shape.fillStyles.size(), styles["fill"].asArray().size());
    for (size_t i = 0; i < shape.fillStyles.size(); ++i) expectFill(styles["fill"].asArray()[i], shape.fillStyles[i]);
    ASSERT_EQ(shape.lineStyles.size(), styles["line"].asArray().size());
    for (size_t i = 0; i < shape.lineStyles.size(); ++i) {
        EXPECT_EQ(shape.lineStyles[i].width, styles["line"].asArray()[i]["width"].asInt());
    }
    expectRecords(v["shape"]["records"], shape.records);
}

void checkMorphShape(const Movie& movie, const JsonValue& v) {
    const auto& morph = character<MorphShapeCharacter>(movie, v["id"]);
    expectRect(v["bounds"], morph.startBounds);
    expectRect(v["morph_bounds"], morph.endBounds);
    EXPECT_EQ(morph.usesScalingStrokes, v["has_scaling_strokes"].asBool());
    const auto& styles = v["shape"]["initial_styles"];
    ASSERT_EQ(morph.fillStyles.size(), styles["fill"].asArray().size());
    for (size_t i = 0; i < morph.fillStyles.size(); ++i) {
        const auto& f = styles["fill"].asArray()[i];
        expectFill(f, morph.fillStyles[i].start);
        if (f.has("morph_color")) expectColor(f["morph_color"], morph.fillStyles[i].end.color);
        if (f.has("morph_matrix")) expectMatrix(f["morph_matrix"], morph.fillStyles[i].end.matrix);
        if (f.has("focal_point")) {
            // The corpus gives the stored 8.8 number.
            EXPECT_EQ(morph.fillStyles[i].start.gradient.focalPoint * 256, f["focal_point"].asNumber());
            EXPECT_EQ(morph.fillStyles[i].end.gradient.focalPoint * 256, f["morph_focal_point"].asNumber());
        }
    }
    ASSERT_EQ(morph.lineStyles.size(), styles["line"].asArray().size());
    for (size_t i = 0; i < morph.lineStyles.size(); ++i) {
        EXPECT_EQ(morph.lineStyles[i].start.width, styles["line"].asArray()[i]["width"].asInt());
        EXPECT_EQ(morph.lineStyles[i].end.width, styles["line"].asArray()[i]["morph_width"].asInt());
    }
    // The corpus folds start and end records into pairs; the start ones must match one for one.
    const auto& pairs = v["shape"]["records"].asArray();
    ASSERT_EQ(morph.startRecords.size(), pairs.size());
    size_t endEdges = 0;
    for (const auto& r : morph.endRecords) endEdges += !std::holds_alternative<StyleChangeRecord>(r);
    size_t expectedEdges = 0;
    for (const auto& p : pairs) expectedEdges += p["type"].asString() == "Edge";
    EXPECT_EQ(endEdges, expectedEdges);
}

void expectCodeUnits(const JsonValue& j, const FontCharacter& font) {
    const auto& codes = j.asArray();
    ASSERT_EQ(font.glyphs.size(), codes.size());
    for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(font.glyphs[i].code, codes[i].asInt());
}

void checkFont(const Movie& movie, const JsonValue& v) {
    const auto& font = character<FontCharacter>(movie, v["id"]);
    if (v.has("font_name")) { EXPECT_EQ(font.name, v["font_name"].asString()); }
    if (v.has("em_square_size")) { EXPECT_EQ(font.emSquare, v["em_square_size"].asNumber()); }
    if (v.has("is_bold")) { EXPECT_EQ(font.bold, v["is_bold"].asBool()); }
    if (v.has("is_italic")) { EXPECT_EQ(font.italic, v["is_italic"].asBool()); }
    if (v.has("is_shift_jis")) { EXPECT_EQ(font.shiftJis, v["is_shift_jis"].asBool()); }
    if (v.has("glyphs")) {
        const auto& glyphs = v["glyphs"].asArray();
        ASSERT_EQ(font.glyphs.size(), glyphs.size());
        for (size_t i = 0; i < glyphs.size(); ++i) {
            SCOPED_TRACE("glyph " + std::to_string(i));
            expectRecords(glyphs[i]["records"], font.glyphs[i].records);
        }
    }
    if (v.has("code_units")) expectCodeUnits(v["code_units"], font);
    if (v.has("layout")) {
        const auto& layout = v["layout"];
        EXPECT_TRUE(font.hasLayout);
        EXPECT_EQ(font.ascent, layout["ascent"].asInt());
        EXPECT_EQ(font.descent, layout["descent"].asInt());
        EXPECT_EQ(font.leading, layout["leading"].asInt());
        if (layout.has("kerning")) { EXPECT_EQ(font.kerning.size(), layout["kerning"].asArray().size()); }
    }
}

void checkFontInfo(const Movie& movie, const JsonValue& v) {
    const auto& font = character<FontCharacter>(movie, v["font_id"]);
    EXPECT_EQ(font.name, v["font_name"].asString());
    EXPECT_EQ(font.bold, v["is_bold"].asBool());
    EXPECT_EQ(font.italic, v["is_italic"].asBool());
    EXPECT_EQ(font.ansi, v["is_ansi"].asBool());
    EXPECT_EQ(font.smallText, v["is_small"].asBool());
    EXPECT_EQ(font.shiftJis, v["is_shift_jis"].asBool());
    expectCodeUnits(v["code_units"], font);
}

void checkAlignZones(const Movie& movie, const JsonValue& v) {
    const auto& font = character<FontCharacter>(movie, v["font_id"]);
    const auto& zones = v["zones"].asArray();
    ASSERT_EQ(font.alignZones.size(), zones.size());
    for (size_t i = 0; i < zones.size(); ++i) {
        const auto& data = zones[i]["data"].asArray();
        for (size_t k = 0; k < 2 && k < data.size(); ++k) {
            EXPECT_FLOAT_EQ(font.alignZones[i].leftOrBottom[k], data[k]["origin"].asNumber());
            EXPECT_FLOAT_EQ(font.alignZones[i].widthOrHeight[k], data[k]["size"].asNumber());
        }
    }
}

void checkText(const Movie& movie, const JsonValue& v) {
    const auto& text = character<TextCharacter>(movie, v["id"]);
    expectRect(v["bounds"], text.bounds);
    expectMatrix(v["matrix"], text.matrix);
    const auto& records = v["records"].asArray();
    ASSERT_EQ(text.records.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& e = records[i];
        const auto& r = text.records[i];
        if (e.has("font_id")) { EXPECT_EQ(r.fontId, e["font_id"].asInt()); }
        if (e.has("color")) {
            ASSERT_TRUE(r.color);
            expectColor(e["color"], *r.color);
        }
        // The corpus writes an absent offset as 0, where it starts anyway.
        if (e.has("offset_x")) { EXPECT_EQ(r.xOffset.value_or(0), e["offset_x"].asInt()); }
        if (e.has("offset_y")) { EXPECT_EQ(r.yOffset.value_or(0), e["offset_y"].asInt()); }
        if (e.has("font_size")) { EXPECT_EQ(r.height, e["font_size"].asInt()); }
        const auto& entries = e["entries"].asArray();
        ASSERT_EQ(r.glyphs.size(), entries.size());
        for (size_t k = 0; k < entries.size(); ++k) {
            EXPECT_EQ(r.glyphs[k].glyphIndex, entries[k]["index"].asInt());
            EXPECT_EQ(r.glyphs[k].advance, entries[k]["advance"].asInt());
        }
    }
}

void checkEditText(const Movie& movie, const JsonValue& v) {
    const auto& edit = character<EditTextCharacter>(movie, v["id"]);
    expectRect(v["bounds"], edit.bounds);
    EXPECT_EQ(edit.readOnly, v["readonly"].asBool());
    EXPECT_EQ(edit.noSelect, v["no_select"].asBool());
    EXPECT_EQ(edit.html, v["html"].asBool());
    EXPECT_EQ(edit.useOutlines, v["use_glyph_font"].asBool());
    EXPECT_EQ(edit.fontId, v["font_id"].asInt());
    EXPECT_EQ(edit.fontHeight, v["font_size"].asInt());
    ASSERT_TRUE(edit.textColor);
    expectColor(v["color"], *edit.textColor);
    EXPECT_EQ(edit.align, EditTextCharacter::Align::Center);
    EXPECT_EQ(edit.leading, v["leading"].asInt());
    EXPECT_EQ(edit.initialText, v["text"].asString());
}

void checkButton(const Movie& movie, const JsonValue& v) {
    const auto& button = character<ButtonCharacter>(movie, v["id"]);
    EXPECT_EQ(button.trackAsMenu, v["track_as_menu"].asBool());
    const auto& records = v["records"].asArray();
    ASSERT_EQ(button.records.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& e = records[i];
        const auto& r = button.records[i];
        EXPECT_EQ(r.up, e["state_up"].asBool());
        EXPECT_EQ(r.over, e["state_over"].asBool());
        EXPECT_EQ(r.down, e["state_down"].asBool());
        EXPECT_EQ(r.hitTest, e["state_hit_test"].asBool());
        EXPECT_EQ(r.characterId, e["character_id"].asInt());
        EXPECT_EQ(r.depth, e["depth"].asInt());
        expectMatrix(e["matrix"], r.matrix);
        expectColorTransform(e["color_transform"], r.colorTransform);
    }
    const auto& actions = v["actions"].asArray();
    ASSERT_EQ(button.actions.size(), actions.size());
    for (size_t i = 0; i < actions.size(); ++i) {
        EXPECT_EQ(*button.actions[i].actions, fromHex(actions[i]["actions"].asString()));
    }
}

void checkBitmap(const Movie& movie, const JsonValue& v) {
    const auto& bitmap = character<BitmapCharacter>(movie, v["id"]);
    EXPECT_EQ(bitmap.width, v["width"].asInt());
    EXPECT_EQ(bitmap.height, v["height"].asInt());
    // The corpus keeps the format byte and the size in front of the pixel data.
    auto whole = fromHex(v["data"].asString());
    size_t header = bitmap.losslessFormat == 3 ? 6 : 5;
    ASSERT_GE(whole.size(), header);
    EXPECT_EQ(bitmap.data, std::vector<uint8_t>(whole.begin() + static_cast<ptrdiff_t>(header), whole.end()));
}

void checkSound(const Movie& movie, const JsonValue& v) {
    const auto& sound = character<SoundCharacter>(movie, v["id"]);
    EXPECT_EQ(sound.sampleCount, v["sample_count"].asInt());
    EXPECT_EQ(sound.info.stereo, v["sound_type"].asString() == "Stereo");
    EXPECT_EQ(sound.info.is16Bit, v["sound_size"].asInt() == 16);
    ASSERT_EQ(v["format"].asString(), "Mp3");
    EXPECT_EQ(sound.info.format, SoundFormat::Mp3);
    EXPECT_EQ(sound.info.sampleRate, 22050u);  // the corpus rounds to 22000
    auto data = fromHex(v["data"].asString());
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(sound.mp3SeekSamples, static_cast<int16_t>(data[0] | (data[1] << 8)));
    EXPECT_EQ(sound.data, std::vector<uint8_t>(data.begin() + 2, data.end()));
}

void checkSoundInfo(const JsonValue& j, const SoundInfo& info) {
    EXPECT_EQ(info.syncStop, j["sync_stop"].asBool());
    EXPECT_EQ(info.syncNoMultiple, j["sync_no_multiple"].asBool());
    EXPECT_EQ(info.loops, j.has("loop_count") ? j["loop_count"].asInt() : 1);
    size_t points = j.has("envelope_records") ? j["envelope_records"].asArray().size() : 0;
    ASSERT_EQ(info.envelope.size(), points);
    for (size_t i = 0; i < points; ++i) {
        const auto& p = j["envelope_records"].asArray()[i];
        EXPECT_EQ(info.envelope[i].position44, p["pos44"].asInt());
        EXPECT_EQ(info.envelope[i].leftLevel, p["left_level"].asInt());
        EXPECT_EQ(info.envelope[i].rightLevel, p["right_level"].asInt());
    }
}

void checkPlaceObject(const JsonValue& v, const PlaceObject& place) {
    EXPECT_EQ(place.depth, v["depth"].asInt());
    EXPECT_EQ(place.move, v["is_update"].asBool());
    EXPECT_EQ(place.characterId.has_value(), v.has("character_id"));
    if (v.has("character_id")) { EXPECT_EQ(place.characterId, v["character_id"].asInt()); }
    EXPECT_EQ(place.matrix.has_value(), v.has("matrix"));
    if (place.matrix && v.has("matrix")) expectMatrix(v["matrix"], *place.matrix);
    EXPECT_EQ(place.colorTransform.has_value(), v.has("color_transform"));
    if (place.colorTransform && v.has("color_transform")) expectColorTransform(v["color_transform"], *place.colorTransform);
    if (v.has("name")) { EXPECT_EQ(place.name, v["name"].asString()); }
    if (v.has("clip_actions")) {
        const auto& actions = v["clip_actions"].asArray();
        ASSERT_EQ(place.clipActions.size(), actions.size());
        for (size_t i = 0; i < actions.size(); ++i) {
            const auto& events = actions[i]["events"];
            EXPECT_EQ((place.clipActions[i].events & kClipEventLoad) != 0, events["load"].asBool());
            EXPECT_EQ((place.clipActions[i].events & kClipEventEnterFrame) != 0, events["enter_frame"].asBool());
            EXPECT_EQ((place.clipActions[i].events & kClipEventRelease) != 0, events["release"].asBool());
            EXPECT_EQ(*place.clipActions[i].actions, fromHex(actions[i]["actions"].asString()));
        }
    }
    if (v.has("filters")) {
        ASSERT_TRUE(place.filters);
        const auto& filters = v["filters"].asArray();
        ASSERT_EQ(place.filters->size(), filters.size());
        for (size_t i = 0; i < filters.size(); ++i) {
            if (filters[i]["filter"].asString() != "ColorMatrix") continue;
            EXPECT_EQ((*place.filters)[i].type, Filter::Type::ColorMatrix);
            for (size_t k = 0; k < 20; ++k) {
                EXPECT_FLOAT_EQ((*place.filters)[i].colorMatrix[k], filters[i]["matrix"].asArray()[k].asNumber());
            }
        }
    }
}

void checkSprite(const Movie& movie, const JsonValue& v) {
    const auto& sprite = character<SpriteCharacter>(movie, v["id"]);
    size_t showFrames = 0;
    std::vector<const JsonValue*> controls;
    for (const auto& tag : v["tags"].asArray()) {
        std::string type = tag["type"].asString();
        if (type == "ShowFrame") ++showFrames;
        if (type == "PlaceObject" || type == "DoAction" || type == "RemoveObject") controls.push_back(&tag);
    }
    EXPECT_EQ(sprite.timeline.frames.size(), showFrames);
    std::vector<const ControlTag*> tags;
    for (const auto& frame : sprite.timeline.frames) {
        for (const auto& t : frame.tags) tags.push_back(&t);
    }
    ASSERT_EQ(tags.size(), controls.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        const auto& e = *controls[i];
        if (e["type"].asString() == "PlaceObject") {
            ASSERT_TRUE(std::holds_alternative<PlaceObject>(*tags[i]));
            checkPlaceObject(e, std::get<PlaceObject>(*tags[i]));
        } else if (e["type"].asString() == "DoAction") {
            ASSERT_TRUE(std::holds_alternative<DoAction>(*tags[i]));
            EXPECT_EQ(*std::get<DoAction>(*tags[i]).actions, fromHex(e["actions"].asString()));
        }
    }
}

const ControlTag& onlyControlTag(const Movie& movie) {
    if (movie.root.frames.empty() || movie.root.frames[0].tags.size() != 1) throw std::runtime_error("expected one control tag");
    return movie.root.frames[0].tags[0];
}

// Checks the fields of one case; returns false for a type this test does not know.
bool checkCase(const Movie& movie, const JsonValue& v) {
    std::string type = v["type"].asString();
    if (type == "DefineShape") checkShape(movie, v);
    else if (type == "DefineMorphShape") checkMorphShape(movie, v);
    else if (type == "DefineFont" || type == "DefineGlyphFont") checkFont(movie, v);
    else if (type == "DefineFontInfo") checkFontInfo(movie, v);
    else if (type == "DefineFontAlignZones") checkAlignZones(movie, v);
    else if (type == "DefineFontName") {
        const auto& font = character<FontCharacter>(movie, v["font_id"]);
        EXPECT_EQ(font.name, v["name"].asString());
        EXPECT_EQ(font.copyright, v["copyright"].asString());
    } else if (type == "DefineText") checkText(movie, v);
    else if (type == "DefineDynamicText") checkEditText(movie, v);
    else if (type == "DefineButton") checkButton(movie, v);
    else if (type == "DefineButtonSound") {
        const auto& button = character<ButtonCharacter>(movie, v["button_id"]);
        for (const auto& s : button.sounds) EXPECT_FALSE(s.has_value());
    } else if (type == "DefineBitmap") checkBitmap(movie, v);
    else if (type == "DefineJpegTables") {
        const auto& bitmap = character<BitmapCharacter>(movie, JsonValue::parse("1"));
        EXPECT_TRUE(bitmap.jpegTables && *bitmap.jpegTables == fromHex(v["data"].asString()));
    } else if (type == "DefineSound") checkSound(movie, v);
    else if (type == "DefineSprite") checkSprite(movie, v);
    else if (type == "DoAction") { EXPECT_EQ(*std::get<DoAction>(onlyControlTag(movie)).actions, fromHex(v["actions"].asString())); }
    else if (type == "PlaceObject") checkPlaceObject(v, std::get<PlaceObject>(onlyControlTag(movie)));
    else if (type == "StartSound") {
        const auto& start = std::get<StartSound>(onlyControlTag(movie));
        EXPECT_EQ(start.soundId, v["sound_id"].asInt());
        checkSoundInfo(v["sound_info"], start.info);
    } else if (type == "FrameLabel") {
        EXPECT_EQ(movie.root.frames.at(0).labels, std::vector<std::string>{v["name"].asString()});
    } else if (type == "ExportAssets") {
        for (const auto& asset : v["assets"].asArray()) {
            EXPECT_EQ(movie.exports.at(asset["name"].asString()), asset["id"].asInt());
        }
    } else if (type == "Protect") { EXPECT_TRUE(movie.isProtected); }
    else if (type == "DoAbc") { EXPECT_TRUE(movie.hasAbc); }
    else if (type == "ShowFrame") EXPECT_EQ(movie.root.frames.size(), 2u);  // the case's and ours
    else if (type == "SymbolClass" || type == "CsmTextSettings") {
    } else return false;
    return true;
}

// The case's movie, or null after recording the parse failure.
std::shared_ptr<const Movie> movieOrFailure(const CorpusCase& c) {
    try {
        return movieFor(c);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "parse failed: " << e.what();
        return nullptr;
    }
}

class CorpusTags : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(corpusDir())) {
            VELMORA_MISSING_FIXTURE("the tag corpus is not at " << corpusDir());
        }
        cases_ = loadCases();
        ASSERT_FALSE(cases_.empty());
    }
    std::vector<CorpusCase> cases_;
};

TEST_F(CorpusTags, EveryValidCaseParsesWithoutWarningsAndItsFieldsAgree) {
    size_t checked = 0;
    for (const auto& c : cases_) {
        if (c.expected["type"].asString() == "RawBody") continue;
        SCOPED_TRACE(c.name);
        auto movie = movieOrFailure(c);
        if (!movie) continue;
        for (const auto& w : movie->warnings) ADD_FAILURE() << "warning: " << w;
        try {
            if (checkCase(*movie, c.expected)) ++checked;
            else ADD_FAILURE() << "no check for type " << c.expected["type"].asString();
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_GT(checked, 30u);
}

TEST_F(CorpusTags, EveryDamagedBodyIsRefusedWithAWarningOrSkippedAsUnknown) {
    for (const auto& c : cases_) {
        if (c.expected["type"].asString() != "RawBody") continue;
        SCOPED_TRACE(c.name);
        auto code = static_cast<uint16_t>(c.expected["code"].asInt());
        auto movie = movieOrFailure(c);
        if (!movie) continue;
        if (tagName(code) == "Unknown") continue;  // skipped like any tag from a later version
        bool named = false;
        for (const auto& w : movie->warnings) named |= w.find(tagName(code)) != std::string::npos;
        EXPECT_TRUE(named) << "no warning names " << tagName(code);
        // A damaged definition leaves no half-read character behind.
        if (c.input.size() >= 2) {
            EXPECT_TRUE(movie->dictionary.empty() || code == kTagProtect);
        }
        EXPECT_EQ(movie->root.frames.size(), 1u);
    }
}

}  // namespace
}  // namespace velmora::swf
