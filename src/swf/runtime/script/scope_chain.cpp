// Variables: the scope chain, target paths ("a.b.c", "/a/b:c", "_root", "_parent", "_levelN",
// "this", "_global") and tellTarget.
#include <string>

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The object a scope entry stands for: a clip's object while the clip lives, null once it is gone.
Object* scopeObject(Vm& vm, Scope* s) {
    Object* o = s->object();
    return o->kind() == ObjectKind::Clip ? static_cast<ClipObject*>(o)->current(vm) : o;
}

// A plain data property the object holds itself, for the quick paths of variable access: what
// the general member code would find first anyway. Null when anything special may apply
// (__proto__, getters, a super object, a clip's "_" properties, arrays' and host objects' own).
Property* plainOwnProperty(Vm& vm, Object* o, String* key) {
    if (!o || vm.sameKey(key, vm.names().proto)) return nullptr;
    const ObjectKind kind = o->kind();
    if (kind != ObjectKind::Plain && kind != ObjectKind::Function &&
        !(kind == ObjectKind::Clip && !key->empty() && key->view()[0] != '_')) {
        return nullptr;
    }
    Property* p = vm.ownProperty(o, key);
    return p && !p->isAccessor() ? p : nullptr;
}

}  // namespace

Clip* Interpreter::targetClip(Frame& f) {
    if (!f.targetValid) return nullptr;
    ClipObject* t = f.target ? f.target : f.timeline;
    return t ? t->clip(vm_) : nullptr;
}

Clip* Interpreter::clipOfValue(Frame& f, const Value& v) {
    if (Object* o = v.objectOrNull()) {
        if (auto* c = dynamic_cast<ClipObject*>(o)) return c->clip(vm_);
    }
    Clip* from = targetClip(f);
    if (!from && f.timeline) from = f.timeline->clip(vm_);
    if (!from) return nullptr;
    if (v.isNullish()) return v.isUndefined() && f.version < 7 ? from : nullptr;
    return resolveTarget(*from, vm_.toString(v)->view());
}

// A top-level block looks its variables up in its target: tellTarget moves them.
void Interpreter::retarget(Frame& f) {
    if (f.activation || !f.withs.empty()) return;
    ClipObject* t = f.target ? f.target : f.timeline;
    if (!t) return;
    f.scope = vm_.heap().make<Scope>(vm_.heap().make<Scope>(nullptr, vm_.global()), t);
}

void Interpreter::setTarget(Frame& f, std::string_view path) {
    if (path.empty()) {
        f.target = nullptr;
        f.targetValid = true;
        retarget(f);
        return;
    }
    Clip* base = f.timeline ? f.timeline->clip(vm_) : nullptr;
    Clip* c = base ? resolveTarget(*base, path) : nullptr;
    f.targetValid = c != nullptr;
    if (c) {
        f.target = vm_.clipObject(*c);
        retarget(f);
    } else {
        vm_.diagnostic("script: tellTarget addresses no clip \"" + std::string(path) + "\"");
    }
}

bool Interpreter::specialName(Frame& f, String* name, Value& out) {
    const std::string_view n = name->view();
    // this, super, _root, _global, _levelN: four to ten letters.
    if (n.size() < 4 || n.size() > 10 || (n[0] != '_' && n[0] != 't' && n[0] != 'T' && n[0] != 's' && n[0] != 'S')) {
        return false;
    }
    const bool fold = !vm_.caseSensitive();
    auto is = [&](std::string_view word) { return fold ? equalsIgnoringCase(n, word) : n == word; };
    if (is("this")) {
        out = f.thisValue;
        if (out.isUndefined() && !f.activation) {
            ClipObject* t = f.target ? f.target : f.timeline;
            if (t) out = Value::object(t);
        }
        return true;
    }
    if (is("_global") && f.version >= 6) {
        out = Value::object(vm_.global());
        return true;
    }
    if (is("_root")) {
        // The root of the level the script's timeline lies on.
        ClipObject* t = f.timeline ? f.timeline : f.target;
        Clip* c = t ? t->clip(vm_) : nullptr;
        out = Value::object(vm_.clipObject(c ? scriptRoot(vm_, *c) : vm_.movie().root()));
        return true;
    }
    if (const int level = n[0] == '_' ? levelNumber(n) : -1; level >= 0 && (fold || n.substr(0, 6) == "_level")) {
        Clip* c = vm_.movie().level(level);
        out = c ? Value::object(vm_.clipObject(*c)) : Value();
        return true;
    }
    if (is("super") && f.activation) {
        out = vm_.superOf(f.thisValue, f.superHolder);
        return true;
    }
    return false;
}

Value Interpreter::resolvePath(Frame& f, std::string_view path, bool& found) {
    found = false;
    Clip* from = targetClip(f);
    if (!from && f.timeline) from = f.timeline->clip(vm_);
    if (path.empty()) {
        found = from != nullptr;
        return from ? Value::object(vm_.clipObject(*from)) : Value();
    }
    // Slash paths name clips only.
    if (path.find('/') != std::string_view::npos) {
        Clip* c = from ? resolveTarget(*from, path) : nullptr;
        found = c != nullptr;
        return c ? Value::object(vm_.clipObject(*c)) : Value();
    }
    // Dot paths: the first name through the scope chain, the rest as members.
    Value current;
    size_t start = 0;
    bool first = true;
    while (start <= path.size()) {
        const size_t dot = path.find('.', start);
        const std::string_view part = path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        String* name = vm_.heap().intern(part);
        if (first) {
            if (!specialName(f, name, current)) {
                String* key = vm_.key(name);
                bool has = false;
                for (Scope* s = f.scope; s && !has; s = s->parent()) has = vm_.lookup(Value::object(s->object()), key, current);
                if (!has) return Value();
            }
            first = false;
        } else {
            if (part == "_parent" || part.empty()) {
                // handled as a member below (ClipObject answers _parent)
            }
            if (current.isNullish()) return Value();
            if (!vm_.lookup(current, vm_.key(name), current)) return Value();
        }
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    found = true;
    return current;
}

Value Interpreter::getVariable(Frame& f, String* name) {
    const std::string_view n = name->view();
    if (name->looksLikePath() && n != "." && n != "..") {
        bool found = false;
        const size_t colon = n.rfind(':');
        if (colon != std::string_view::npos) {
            const Value owner = resolvePath(f, n.substr(0, colon), found);
            if (owner.isNullish()) return Value();
            return vm_.getMember(owner, vm_.key(n.substr(colon + 1)));
        }
        return resolvePath(f, n, found);
    }
    Value out;
    if (specialName(f, name, out)) return out;
    String* key = vm_.key(name);
    for (Scope* s = f.scope; s; s = s->parent()) {
        if (const Property* p = plainOwnProperty(vm_, scopeObject(vm_, s), key)) return p->value;
        if (vm_.lookup(Value::object(s->object()), key, out)) return out;
    }
    vm_.warning("Warning: Reference to undeclared variable, '" + name->text() + "'");
    return Value();
}

void Interpreter::setVariable(Frame& f, String* name, const Value& value) {
    const std::string_view n = name->view();
    if (name->looksLikePath()) {
        bool found = false;
        size_t split = n.rfind(':');
        if (split == std::string_view::npos) split = n.rfind('.');
        if (split != std::string_view::npos && split + 1 < n.size()) {
            const Value owner = resolvePath(f, n.substr(0, split), found);
            if (!owner.isNullish()) vm_.setMember(owner, vm_.key(n.substr(split + 1)), value);
            return;
        }
    }
    String* key = vm_.key(name);
    // The innermost object that has the variable takes it; _global only through "_global.".
    for (Scope* s = f.scope; s && s->parent(); s = s->parent()) {
        Object* o = s->object();
        if (o->kind() == ObjectKind::Clip) {
            o = static_cast<ClipObject*>(o)->current(vm_);
            if (!o) continue;
        }
        if (Property* p = plainOwnProperty(vm_, o, key); p && !(p->flags & kReadOnly) && o->watches().empty()) {
            p->value = value;
            return;
        }
        if (vm_.hasProperty(o, key)) {
            vm_.setMember(Value::object(o), key, value);
            return;
        }
    }
    ClipObject* home = f.activation ? f.timeline : (f.target ? f.target : f.timeline);
    if (!f.targetValid && !f.activation) return;
    if (home) vm_.setMember(Value::object(home), key, value, name);
}

void Interpreter::defineLocal(Frame& f, String* name, const Value& value, bool keepExisting) {
    String* key = vm_.key(name);
    if (f.activation) {
        // A local of another case is the same local before SWF 7.
        if (Property* p = vm_.ownProperty(f.activation, key)) {
            if (keepExisting) return;
            p->value = value;
            p->getter = nullptr;
            p->setter = nullptr;
            return;
        }
        f.activation->put(key, vm_.heap().intern(name), value);
        return;
    }
    ClipObject* home = f.target ? f.target : f.timeline;
    if (!home || !f.targetValid) return;
    if (keepExisting && vm_.hasProperty(home, key)) return;
    vm_.setMember(Value::object(home), key, value, name);
}

bool Interpreter::deleteVariable(Frame& f, String* name) {
    String* key = vm_.key(name);
    for (Scope* s = f.scope; s; s = s->parent()) {
        Object* o = s->object();
        if (o->kind() == ObjectKind::Clip) {
            o = static_cast<ClipObject*>(o)->current(vm_);
            if (!o) continue;
        }
        if (vm_.ownProperty(o, key)) return vm_.deleteMember(Value::object(o), key);
    }
    return false;
}

}  // namespace velmora::swf::script
