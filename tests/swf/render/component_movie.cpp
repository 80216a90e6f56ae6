#include "component_movie.h"

#include <functional>
#include <string>

#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "swf/format/tag_code.h"

namespace velmora::swf::test {

namespace {

using velmora::test::Action;
using velmora::test::Avm1Assembler;
using velmora::test::Color;
using velmora::test::Function2Param;
using velmora::test::PushInt;
using velmora::test::PushItem;
using velmora::test::PushRegister;
using velmora::test::SwfTagList;
using velmora::test::SwfWriter;
using A = Avm1Assembler;

// A small expression language over the assembler, so that the class code below reads close to
// the ActionScript it stands for (given in the comments). An Expr pushes one value.
using Expr = std::function<void(A&)>;

Expr lit(PushItem value) {
    return [value](A& a) { a.push({value}); };
}
Expr var(const std::string& name) {
    return [name](A& a) { a.get(name); };
}
// In methods: `this` in register 1, `super` in register 2, locals from register 3.
Expr reg(uint8_t index) {
    return [index](A& a) { a.push({PushRegister{index}}); };
}
const Expr self = reg(1);
const Expr super = reg(2);
Expr member(Expr object, const std::string& name) {
    return [object, name](A& a) {
        object(a);
        a.push({name}).op(Action::GetMember);
    };
}
// A dotted path: a variable, then members.
Expr path(const std::string& dotted) {
    const size_t dot = dotted.rfind('.');
    if (dot == std::string::npos) return var(dotted);
    return member(path(dotted.substr(0, dot)), dotted.substr(dot + 1));
}
void pushArgs(A& a, const std::vector<Expr>& args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) (*it)(a);
    a.push({PushInt{static_cast<int32_t>(args.size())}});
}
// object.name(args...); an empty name calls object itself (super(...)).
Expr call(Expr object, const std::string& name, std::vector<Expr> args = {}) {
    return [object, name, args](A& a) {
        pushArgs(a, args);
        object(a);
        if (name.empty()) a.push({velmora::test::PushUndefined{}});
        else a.push({name});
        a.op(Action::CallMethod);
    };
}
Expr callFunction(const std::string& name, std::vector<Expr> args) {
    return [name, args](A& a) {
        pushArgs(a, args);
        a.push({name}).op(Action::CallFunction);
    };
}
Expr binary(Expr left, Action op, Expr right) {
    return [left, op, right](A& a) {
        left(a);
        right(a);
        a.op(op);
    };
}
Expr object(std::vector<std::pair<std::string, Expr>> fields) {
    return [fields](A& a) {
        for (const auto& [key, value] : fields) {
            a.push({key});
            value(a);
        }
        a.push({PushInt{static_cast<int32_t>(fields.size())}}).op(Action::InitObject);
    };
}
Expr emptyArray() {
    return [](A& a) { a.push({PushInt{0}}).op(Action::InitArray); };
}
// function (params...) { body }, compiled as the authoring tool compiles methods: this and super
// preloaded, parameters by name, `registers` registers in all.
Expr function(std::vector<std::string> params, A body, uint8_t registers = 3) {
    return [params, body, registers](A& a) {
        std::vector<Function2Param> named;
        for (const std::string& p : params) named.push_back({0, p});
        a.defineFunction2("", registers, velmora::test::kPreloadThis | velmora::test::kPreloadSuper, named, body);
    };
}

// Statements.
void eval(A& a, const Expr& e) {
    e(a);
    a.op(Action::Pop);
}
void setMember(A& a, const Expr& object, const std::string& name, const Expr& value) {
    object(a);
    a.push({name});
    value(a);
    a.op(Action::SetMember);
}
void setRegister(A& a, uint8_t index, const Expr& value) {
    value(a);
    a.storeRegister(index).op(Action::Pop);
}
void trace(A& a, const Expr& value) {
    value(a);
    a.trace();
}

// The class at path with constructor body ctor (`this` in register 1, `super` in 2) extending
// base (if any), and its prototype in register `protoRegister` of the code around it, as the
// compiler keeps it while it fills in the methods.
void defineClass(A& a, const std::string& classPath, A ctor, const std::string& base) {
    const size_t dot = classPath.rfind('.');
    setMember(a, path("_global." + classPath.substr(0, dot)), classPath.substr(dot + 1), function({}, std::move(ctor)));
    if (!base.empty()) {
        path(classPath)(a);
        path(base)(a);
        a.op(Action::Extends);
    }
}
void method(A& a, const std::string& classPath, const std::string& name, std::vector<std::string> params, A body,
            uint8_t registers = 3) {
    setMember(a, member(path(classPath), "prototype"), name, function(std::move(params), std::move(body), registers));
}
// A constructor that only calls its superclass's: function () { super(); }
A superConstructor() {
    A a;
    eval(a, call(super, ""));
    return a;
}
// this.dispatchEvent({type: type, extra...})
void dispatch(A& a, const std::string& type, std::vector<std::pair<std::string, Expr>> extra = {}) {
    extra.insert(extra.begin(), {"type", lit(type)});
    eval(a, call(self, "dispatchEvent", {object(extra)}));
}

// The framework's #initclip: packages, the style declaration, UIObject and UIComponent, and the
// createClassObject extension of MovieClip.
A frameworkInitClip() {
    A a;
    // _global.mx = {}; mx.core = {}; mx.controls = {}; mx.styles = {};
    setMember(a, var("_global"), "mx", object({}));
    for (const char* package : {"core", "controls", "styles"}) setMember(a, var("mx"), package, object({}));

    // class mx.styles.CSSStyleDeclaration {
    //     function getStyle(name) { return this[name]; }
    //     function setStyle(name, value) { this[name] = value; } }
    defineClass(a, "mx.styles.CSSStyleDeclaration", A(), "");
    {
        A get;
        self(get);
        get.get("name").op(Action::GetMember).op(Action::Return);
        method(a, "mx.styles.CSSStyleDeclaration", "getStyle", {"name"}, get);
        A set;
        self(set);
        set.get("name").get("value").op(Action::SetMember);
        method(a, "mx.styles.CSSStyleDeclaration", "setStyle", {"name", "value"}, set);
    }
    // _global.style = new mx.styles.CSSStyleDeclaration(); style.setStyle("themeColor", "haloGreen");
    a.push({"_global"}).op(Action::GetVariable).push({"style", PushInt{0}});
    path("mx.styles")(a);
    a.push({"CSSStyleDeclaration"}).op(Action::NewMethod).op(Action::SetMember);
    eval(a, call(path("_global.style"), "setStyle", {lit("themeColor"), lit("haloGreen")}));

    // class mx.core.UIObject extends MovieClip { function UIObject() { this.init(); } ... }
    {
        A ctor;
        eval(ctor, call(self, "init"));
        defineClass(a, "mx.core.UIObject", ctor, "MovieClip");
    }
    // init(): AsBroadcaster.initialize(this); this.methodTable = [];
    {
        A body;
        eval(body, call(var("AsBroadcaster"), "initialize", {self}));
        setMember(body, self, "methodTable", emptyArray());
        method(a, "mx.core.UIObject", "init", {}, body);
    }
    // addEventListener(type, listener): this.addListener(listener);
    {
        A body;
        eval(body, call(self, "addListener", {var("listener")}));
        method(a, "mx.core.UIObject", "addEventListener", {"type", "listener"}, body);
    }
    // dispatchEvent(e): e.target = this; this.broadcastMessage(e.type, e);
    {
        A body;
        setMember(body, var("e"), "target", self);
        eval(body, call(self, "broadcastMessage", {member(var("e"), "type"), var("e")}));
        method(a, "mx.core.UIObject", "dispatchEvent", {"e"}, body);
    }
    // setSize(w, h): this.__width = w; this.__height = h; this.invalidate();
    {
        A body;
        setMember(body, self, "__width", var("w"));
        setMember(body, self, "__height", var("h"));
        eval(body, call(self, "invalidate"));
        method(a, "mx.core.UIObject", "setSize", {"w", "h"}, body);
    }
    // invalidate(): if (!this.invalidFlag) { this.invalidFlag = true; this.doLater(this, "redraw"); }
    {
        A body;
        const auto done = body.label();
        member(self, "invalidFlag")(body);
        body.branchIf(done);
        setMember(body, self, "invalidFlag", lit(true));
        eval(body, call(self, "doLater", {self, lit("redraw")}));
        body.bind(done);
        method(a, "mx.core.UIObject", "invalidate", {}, body);
    }
    // redraw(): this.invalidFlag = false; this.draw();
    {
        A body;
        setMember(body, self, "invalidFlag", lit(false));
        eval(body, call(self, "draw"));
        method(a, "mx.core.UIObject", "redraw", {}, body);
    }
    // doLater(obj, fn): this.methodTable.push({obj: obj, fn: fn});
    //                   this.onEnterFrame = this.doLaterDispatcher;
    {
        A body;
        eval(body, call(member(self, "methodTable"), "push", {object({{"obj", var("obj")}, {"fn", var("fn")}})}));
        setMember(body, self, "onEnterFrame", member(self, "doLaterDispatcher"));
        method(a, "mx.core.UIObject", "doLater", {"obj", "fn"}, body);
    }
    // doLaterDispatcher(): delete this.onEnterFrame; var t = this.methodTable;
    //     this.methodTable = []; for (var i = 0; i < t.length; i++) t[i].obj[t[i].fn]();
    {
        A body;
        self(body);
        body.push({"onEnterFrame"}).op(Action::Delete).op(Action::Pop);
        setRegister(body, 3, member(self, "methodTable"));
        setMember(body, self, "methodTable", emptyArray());
        setRegister(body, 4, lit(PushInt{0}));
        const auto loop = body.label(), done = body.label();
        body.bind(loop);
        binary(reg(4), Action::Less2, member(reg(3), "length"))(body);
        body.op(Action::Not).branchIf(done);
        const Expr entry = [](A& x) { x.push({PushRegister{3}, PushRegister{4}}).op(Action::GetMember); };
        body.push({PushInt{0}});
        member(entry, "obj")(body);
        member(entry, "fn")(body);
        body.op(Action::CallMethod).op(Action::Pop);
        body.push({PushRegister{4}}).op(Action::Increment).storeRegister(4).op(Action::Pop);
        body.jump(loop).bind(done);
        method(a, "mx.core.UIObject", "doLaterDispatcher", {}, body, 5);
    }
    // getStyle(name): var v = this[name]; if (v != undefined) return v;
    //                 return _global.style.getStyle(name);
    {
        A body;
        self(body);
        body.get("name").op(Action::GetMember).storeRegister(3).op(Action::Pop);
        const auto inherited = body.label();
        body.push({PushRegister{3}, velmora::test::PushUndefined{}}).op(Action::Equals2).branchIf(inherited);
        body.push({PushRegister{3}}).op(Action::Return);
        body.bind(inherited);
        call(path("_global.style"), "getStyle", {var("name")})(body);
        body.op(Action::Return);
        method(a, "mx.core.UIObject", "getStyle", {"name"}, body, 4);
    }
    // setStyle(name, value): this[name] = value; this.invalidate();
    {
        A body;
        self(body);
        body.get("name").get("value").op(Action::SetMember);
        eval(body, call(self, "invalidate"));
        method(a, "mx.core.UIObject", "setStyle", {"name", "value"}, body);
    }
    // createClassObject(cls, name, depth, initObj):
    //     return this.attachMovie(cls.symbolName, name, depth, initObj);
    {
        A body;
        call(self, "attachMovie", {member(var("cls"), "symbolName"), var("name"), var("depth"), var("initObj")})(body);
        body.op(Action::Return);
        method(a, "mx.core.UIObject", "createClassObject", {"cls", "name", "depth", "initObj"}, body);
    }
    // MovieClip.prototype.createClassObject = mx.core.UIObject.prototype.createClassObject;
    setMember(a, path("MovieClip.prototype"), "createClassObject", path("mx.core.UIObject.prototype.createClassObject"));

    // class mx.core.UIComponent extends UIObject
    defineClass(a, "mx.core.UIComponent", superConstructor(), "mx.core.UIObject");
    // init(): super.init(); this.tabEnabled = true;
    {
        A body;
        eval(body, call(super, "init"));
        setMember(body, self, "tabEnabled", lit(true));
        method(a, "mx.core.UIComponent", "init", {}, body);
    }
    {
        A in, out;
        dispatch(in, "focusIn");
        dispatch(out, "focusOut");
        method(a, "mx.core.UIComponent", "onSetFocus", {"from"}, in);
        method(a, "mx.core.UIComponent", "onKillFocus", {"to"}, out);
    }
    // ASSetPropFlags(mx.core.UIObject.prototype, null, 1): the methods do not enumerate.
    eval(a, callFunction("ASSetPropFlags", {path("mx.core.UIObject.prototype"), lit(velmora::test::PushNull{}), lit(PushInt{1})}));
    return a;
}

// Button's #initclip: the class and its registration for the "Button" symbol.
A buttonInitClip() {
    A a;
    const std::string cls = "mx.controls.Button";
    defineClass(a, cls, superConstructor(), "mx.core.UIComponent");
    setMember(a, path(cls), "symbolName", lit("Button"));
    setMember(a, path(cls + ".prototype"), "skinName", lit("ButtonSkin"));
    // init(): super.init(); this.attachMovie(this.skinName, "skin_mc", 0);
    //         this.state = 1; this.setSize(this.skin_mc._width, this.skin_mc._height);
    {
        A body;
        eval(body, call(super, "init"));
        eval(body, call(self, "attachMovie", {member(self, "skinName"), lit("skin_mc"), lit(PushInt{0})}));
        setMember(body, self, "state", lit(PushInt{1}));
        eval(body, call(self, "setSize", {member(member(self, "skin_mc"), "_width"), member(member(self, "skin_mc"), "_height")}));
        method(a, cls, "init", {}, body);
    }
    // draw(): var s = this.skin_mc; s._width = this.__width; s._height = this.__height;
    //         s.gotoAndStop(this.state); trace(this._name + " draw " + this.__width + "x" + this.__height);
    {
        A body;
        setRegister(body, 3, member(self, "skin_mc"));
        setMember(body, reg(3), "_width", member(self, "__width"));
        setMember(body, reg(3), "_height", member(self, "__height"));
        eval(body, call(reg(3), "gotoAndStop", {member(self, "state")}));
        trace(body, binary(binary(binary(binary(member(self, "_name"), Action::Add2, lit(" draw ")), Action::Add2,
                                             member(self, "__width")),
                                      Action::Add2, lit("x")),
                               Action::Add2, member(self, "__height")));
        method(a, cls, "draw", {}, body, 4);
    }
    // setState(n): this.state = n; this.skin_mc.gotoAndStop(n);
    {
        A body;
        setMember(body, self, "state", var("n"));
        eval(body, call(member(self, "skin_mc"), "gotoAndStop", {var("n")}));
        method(a, cls, "setState", {"n"}, body);
    }
    // The pointer's handlers: the skin's frame, then the event.
    struct Handler {
        const char* name;
        int state;
        const char* event;
        bool focus;
    };
    for (const Handler& h : {Handler{"onRollOver", 2, "rollOver", false}, Handler{"onRollOut", 1, "rollOut", false},
                             Handler{"onPress", 3, "press", true}, Handler{"onRelease", 2, "click", false}}) {
        A body;
        eval(body, call(self, "setState", {lit(PushInt{h.state})}));
        if (h.focus) eval(body, call(var("Selection"), "setFocus", {self}));
        dispatch(body, h.event);
        method(a, cls, h.name, {}, body);
    }
    // Object.registerClass("Button", mx.controls.Button);
    eval(a, call(var("Object"), "registerClass", {lit("Button"), path(cls)}));
    return a;
}

// CheckBox's #initclip: a Button with a skin of its own and a selected state.
A checkBoxInitClip() {
    A a;
    const std::string cls = "mx.controls.CheckBox";
    defineClass(a, cls, superConstructor(), "mx.controls.Button");
    setMember(a, path(cls), "symbolName", lit("CheckBox"));
    setMember(a, path(cls + ".prototype"), "skinName", lit("CheckSkin"));
    // init(): super.init(); this.selected = false;
    //         this.skin_mc.scale9Grid = new flash.geom.Rectangle(5, 5, 10, 10);
    {
        A body;
        eval(body, call(super, "init"));
        setMember(body, self, "selected", lit(false));
        member(self, "skin_mc")(body);
        body.push({"scale9Grid", PushInt{10}, PushInt{10}, PushInt{5}, PushInt{5}, PushInt{4}});
        path("flash.geom")(body);
        body.push({"Rectangle"}).op(Action::NewMethod).op(Action::SetMember);
        method(a, cls, "init", {}, body);
    }
    // onRelease(): this.selected = !this.selected; super.onRelease();
    {
        A body;
        self(body);
        body.push({"selected"});
        member(self, "selected")(body);
        body.op(Action::Not).op(Action::SetMember);
        eval(body, call(super, "onRelease"));
        method(a, cls, "onRelease", {}, body);
    }
    eval(a, call(var("Object"), "registerClass", {lit("CheckBox"), path(cls)}));
    return a;
}

// List's #initclip: rows drawn with the drawing API into rows_mc, three shown through mask_mc.
A listInitClip() {
    A a;
    const std::string cls = "mx.controls.List";
    defineClass(a, cls, superConstructor(), "mx.core.UIComponent");
    setMember(a, path(cls), "symbolName", lit("List"));
    // init(): super.init(); this.items = []; this.vPosition = 0; this.rowCount = 3;
    //   this.createEmptyMovieClip("rows_mc", 1); var m = this.createEmptyMovieClip("mask_mc", 2);
    //   m.beginFill(0); m.moveTo(0, 0); m.lineTo(60, 0); m.lineTo(60, 30); m.lineTo(0, 30); m.endFill();
    //   this.rows_mc.setMask(m);
    {
        A body;
        eval(body, call(super, "init"));
        setMember(body, self, "items", emptyArray());
        setMember(body, self, "vPosition", lit(PushInt{0}));
        setMember(body, self, "rowCount", lit(PushInt{3}));
        eval(body, call(self, "createEmptyMovieClip", {lit("rows_mc"), lit(PushInt{1})}));
        setRegister(body, 3, call(self, "createEmptyMovieClip", {lit("mask_mc"), lit(PushInt{2})}));
        eval(body, call(reg(3), "beginFill", {lit(PushInt{0})}));
        eval(body, call(reg(3), "moveTo", {lit(PushInt{0}), lit(PushInt{0})}));
        for (auto [x, y] : {std::pair{60, 0}, {60, 30}, {0, 30}})
            eval(body, call(reg(3), "lineTo", {lit(PushInt{x}), lit(PushInt{y})}));
        eval(body, call(reg(3), "endFill"));
        eval(body, call(member(self, "rows_mc"), "setMask", {reg(3)}));
        method(a, cls, "init", {}, body, 4);
    }
    // addItem(label, data): this.items.push({label: label, data: data}); this.invalidate();
    {
        A body;
        eval(body, call(member(self, "items"), "push", {object({{"label", var("label")}, {"data", var("data")}})}));
        eval(body, call(self, "invalidate"));
        method(a, cls, "addItem", {"label", "data"}, body);
    }
    // setScrollPosition(pos): pos = Math.max(0, Math.min(pos, this.items.length - this.rowCount));
    //   this.vPosition = pos; this.invalidate(); this.dispatchEvent({type: "scroll", position: pos});
    {
        A body;
        const Expr last = binary(member(member(self, "items"), "length"), Action::Subtract, member(self, "rowCount"));
        setRegister(body, 3, call(var("Math"), "max",
                                  {lit(PushInt{0}), call(var("Math"), "min", {var("pos"), last})}));
        setMember(body, self, "vPosition", reg(3));
        eval(body, call(self, "invalidate"));
        dispatch(body, "scroll", {{"position", reg(3)}});
        method(a, cls, "setScrollPosition", {"pos"}, body, 4);
    }
    // draw(): var r = this.rows_mc; r.clear();
    //   for (var i = 0; i < this.items.length; i++) {
    //       r.beginFill(this.items[i].data); r.moveTo(0, i * 10); r.lineTo(60, i * 10);
    //       r.lineTo(60, i * 10 + 10); r.lineTo(0, i * 10 + 10); r.endFill(); }
    //   r._y = -10 * this.vPosition;
    //   trace(this._name + " draw " + this.items[this.vPosition].label);
    {
        A body;
        setRegister(body, 3, member(self, "rows_mc"));
        eval(body, call(reg(3), "clear"));
        setRegister(body, 4, lit(PushInt{0}));
        const auto loop = body.label(), done = body.label();
        body.bind(loop);
        binary(reg(4), Action::Less2, member(member(self, "items"), "length"))(body);
        body.op(Action::Not).branchIf(done);
        const Expr top = binary(reg(4), Action::Multiply, lit(PushInt{10}));
        const Expr bottom = binary(top, Action::Add2, lit(PushInt{10}));
        const Expr item = [](A& x) {
            x.push({PushRegister{1}, "items"}).op(Action::GetMember).push({PushRegister{4}}).op(Action::GetMember);
        };
        eval(body, call(reg(3), "beginFill", {member(item, "data")}));
        eval(body, call(reg(3), "moveTo", {lit(PushInt{0}), top}));
        eval(body, call(reg(3), "lineTo", {lit(PushInt{60}), top}));
        eval(body, call(reg(3), "lineTo", {lit(PushInt{60}), bottom}));
        eval(body, call(reg(3), "lineTo", {lit(PushInt{0}), bottom}));
        eval(body, call(reg(3), "endFill"));
        body.push({PushRegister{4}}).op(Action::Increment).storeRegister(4).op(Action::Pop);
        body.jump(loop).bind(done);
        setMember(body, reg(3), "_y", binary(lit(PushInt{-10}), Action::Multiply, member(self, "vPosition")));
        const Expr shown = [](A& x) {
            x.push({PushRegister{1}, "items"}).op(Action::GetMember);
            x.push({PushRegister{1}, "vPosition"}).op(Action::GetMember).op(Action::GetMember);
            x.push({"label"}).op(Action::GetMember);
        };
        trace(body, binary(binary(member(self, "_name"), Action::Add2, lit(" draw ")), Action::Add2, shown));
        method(a, cls, "draw", {}, body, 5);
    }
    eval(a, call(var("Object"), "registerClass", {lit("List"), path(cls)}));
    return a;
}

// The root's first frame: the form.
A formScript() {
    A a;
    trace(a, call(path("_global.style"), "getStyle", {lit("themeColor")}));
    // var ok = this.createClassObject(mx.controls.Button, "ok", 10, {_x: 10, _y: 20, tabIndex: 1});
    auto make = [&a](const std::string& variable, const std::string& cls, int depth, int x, int y, int tab) {
        a.push({variable});
        call(var("this"), "createClassObject",
             {path(cls), lit(variable), lit(PushInt{depth}),
              object({{"_x", lit(PushInt{x})}, {"_y", lit(PushInt{y})}, {"tabIndex", lit(PushInt{tab})}})})(a);
        a.op(Action::DefineLocal);
    };
    make("ok", "mx.controls.Button", 10, 10, 20, 1);
    eval(a, call(var("ok"), "setSize", {lit(PushInt{80}), lit(PushInt{40})}));
    make("check", "mx.controls.CheckBox", 11, 150, 10, 2);
    eval(a, call(var("check"), "setStyle", {lit("themeColor"), lit("haloBlue")}));
    make("list", "mx.controls.List", 12, 130, 50, 3);
    const std::pair<const char*, int> rows[] = {
        {"a", 0xFF0000}, {"b", 0x00A000}, {"c", 0x0000FF}, {"d", 0xFFFF00}, {"e", 0xFF00FF}};
    for (const auto& [label, colour] : rows) eval(a, call(var("list"), "addItem", {lit(label), lit(PushInt{colour})}));

    // trace(ok instanceof mx.controls.Button); trace(check instanceof mx.controls.Button);
    // trace(list instanceof mx.controls.Button); trace(ok.getStyle("themeColor") + " " + ...);
    for (const char* v : {"ok", "check", "list"}) trace(a, binary(var(v), Action::InstanceOf, path("mx.controls.Button")));
    trace(a, binary(binary(call(var("ok"), "getStyle", {lit("themeColor")}), Action::Add2, lit(" ")), Action::Add2,
                    call(var("check"), "getStyle", {lit("themeColor")})));

    // var log = {}; log.TYPE = function (e) { trace(e.type + " " + e.target._name [+ " " + detail]); }
    a.push({"log"});
    object({})(a);
    a.op(Action::DefineLocal);
    auto listen = [&a](const char* type, const char* detail) {
        A body;
        Expr line = binary(binary(member(var("e"), "type"), Action::Add2, lit(" ")), Action::Add2,
                           member(member(var("e"), "target"), "_name"));
        if (detail) line = binary(binary(line, Action::Add2, lit(" ")), Action::Add2, member(var("e"), detail));
        trace(body, line);
        setMember(a, var("log"), type, function({"e"}, body));
    };
    listen("click", nullptr);
    listen("rollOver", nullptr);
    listen("rollOut", nullptr);
    listen("press", nullptr);
    listen("focusIn", nullptr);
    listen("focusOut", nullptr);
    listen("scroll", "position");
    for (const char* v : {"ok", "check", "list"}) eval(a, call(var(v), "addEventListener", {lit("click"), var("log")}));
    // Scrolled past its end: held at the last position that fills the rows.
    eval(a, call(var("list"), "setScrollPosition", {lit(PushInt{7})}));
    trace(a, lit("form ready"));
    a.op(Action::Stop);
    return a;
}

// A skin: `width` x `height` pixels, a 5-pixel frame in the state's colour (frame 1 up, 2 over,
// 3 down) around a grey centre, stopped on its first frame. Shapes from firstShape on.
void defineSkin(SwfWriter& swf, uint16_t sprite, uint16_t firstShape, int width, int height, Color up) {
    const int w = width * 20, h = height * 20;
    const Color grey{200, 200, 200};
    swf.defineRectangle(firstShape, 0, 0, w, h, up);
    swf.defineRectangle(firstShape + 1, 0, 0, w, h, Color{0, 160, 0});
    swf.defineRectangle(firstShape + 2, 0, 0, w, h, Color{0, 0, 0});
    swf.defineRectangle(firstShape + 3, 100, 100, w - 200, h - 200, grey);
    SwfTagList frames;
    frames.placeObject2({.depth = 1, .characterId = firstShape});
    frames.placeObject2({.depth = 2, .characterId = static_cast<uint16_t>(firstShape + 3)});
    frames.doAction(A().op(Action::Stop).doActionBody());
    frames.showFrame();
    frames.placeObject2({.depth = 1, .move = true, .characterId = static_cast<uint16_t>(firstShape + 1)});
    frames.showFrame();
    frames.placeObject2({.depth = 1, .move = true, .characterId = static_cast<uint16_t>(firstShape + 2)});
    frames.showFrame();
    swf.defineSprite(sprite, frames);
}

}  // namespace

std::vector<uint8_t> componentMovie() {
    SwfWriter swf(8);
    swf.stageSizePixels(200, 100);
    // The skins, the button's with its grid from the library.
    defineSkin(swf, 10, 1, 40, 20, Color{255, 0, 0});
    velmora::test::BitWriter grid;
    grid.u16(10);
    grid.rect(100, 700, 100, 300);
    swf.rawTag(kTagDefineScalingGrid, grid.take());
    defineSkin(swf, 11, 5, 20, 20, Color{0, 0, 255});
    // The components' symbols (empty: they draw themselves) and the framework's class symbol,
    // each with its #initclip; exported on the first frame, which runs them in this order.
    SwfTagList empty;
    empty.showFrame();
    for (uint16_t id : {20, 21, 22, 30}) swf.defineSprite(id, empty);
    swf.doInitAction(30, frameworkInitClip().doActionBody());
    swf.doInitAction(20, buttonInitClip().doActionBody());
    swf.doInitAction(21, checkBoxInitClip().doActionBody());
    swf.doInitAction(22, listInitClip().doActionBody());
    swf.exportAssets({{30, "__Packages.mx.core.UIComponent"}, {20, "Button"}, {21, "CheckBox"}, {22, "List"},
                      {10, "ButtonSkin"}, {11, "CheckSkin"}});
    swf.doAction(formScript().doActionBody());
    swf.showFrame();
    return swf.bytes();
}

}  // namespace velmora::swf::test
