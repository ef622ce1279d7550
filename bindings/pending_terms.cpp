// The pending terms of batched `e += t`, keyed by the core object of the Python Expr they belong
// to. An entry lives until the expression is read (settled) or its object dies (the deallocation
// hook), so an address is never reused with stale terms behind it.
#include "pending_terms.hpp"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ondrex_py {

std::size_t pending_objects = 0;

namespace {

using ond::Expr;

struct ExprHash {
    std::size_t operator()(Expr const& e) const { return static_cast<std::size_t>(e.hash()); }
};

struct Pending {
    // Terms whose presence is to be toggled: each is either absent from the argument list (it
    // will be inserted) or present once (it will be erased).
    std::unordered_set<Expr, ExprHash> toggles;
    // Argument count once the toggles are applied.
    std::size_t count = 0;
};

// Below this many waiting terms a batch is not merged early: the merge walks the whole list.
constexpr std::size_t min_batch = 256;

std::unordered_map<Expr const*, Pending>& table() {
    static auto* t = new std::unordered_map<Expr const*, Pending>();
    return *t;
}

destructor pybind11_dealloc = nullptr;

// Installed on Expr, and inherited by ExprSym (created after it), whose objects hold no entry.
void dealloc_forgetting(PyObject* self) {
    if (pending_objects != 0) {
        auto* inst = reinterpret_cast<py::detail::instance*>(self);
        auto v_h = inst->get_value_and_holder(py::detail::get_type_info(typeid(Expr)), false);
        if (v_h.inst != nullptr && v_h.value_ptr() != nullptr) {
            table().erase(static_cast<Expr const*>(v_h.value_ptr()));
            pending_objects = table().size();
        }
    }
    pybind11_dealloc(self);
}

bool batchable_term(Expr const& b) {
    switch (b.type()) {
    case ond::expr_type_id::sym:
    case ond::expr_type_id::mul:
    case ond::expr_type_id::esf:
    case ond::expr_type_id::or_:
    case ond::expr_type_id::imm: return true;
    default: return false;
    }
}

// Only objects of the exact class Expr that own their value: a reference (never owning, until
// it is detached) lies in storage that other operations read directly, and ExprSym objects are
// read through their own caster.
bool batchable_object(py::handle self) {
    static PyTypeObject* const expr_type =
        reinterpret_cast<PyTypeObject*>(py::type::of<Expr>().ptr());
    if (Py_TYPE(self.ptr()) != expr_type) return false;
    return reinterpret_cast<py::detail::instance*>(self.ptr())->owned;
}

void merge_into(Expr& e, Pending& p) {
    std::vector<Expr> terms(p.toggles.begin(), p.toggles.end());
    std::sort(terms.begin(), terms.end());
    // Strictly ascending arguments and distinct terms: the exclusive merge inserts each absent
    // term and erases each present one, as the one-at-a-time operator would, and never leaves a
    // single argument (the batch refused every step that would).
    e.args().merge_exclusive(std::make_move_iterator(terms.begin()),
                             std::make_move_iterator(terms.end()));
}

} // namespace

void settle_pending(Expr const& e) {
    auto& t = table();
    auto it = t.find(&e);
    if (it == t.end()) return;
    // The merge builds into fresh storage or fails before touching the list, so the entry is
    // dropped only once the list holds the terms.
    merge_into(const_cast<Expr&>(e), it->second);
    t.erase(it);
    pending_objects = t.size();
}

bool add_pending(py::handle self, Expr& e, Expr const& b) {
    auto& t = table();
    auto it = t.find(&e);
    if (&b == &e || !batchable_term(b) || !e.is_add() || !batchable_object(self)) {
        settle_pending(e);
        return false;
    }
    if (b.is_imm() && !b.imm_value()) {
        // The immediate 0 changes nothing, unless the list holds one argument and collapses.
        if ((it == t.end() ? e.args().size() : it->second.count) != 1) return true;
        settle_pending(e);
        return false;
    }
    // A term past the last argument is appended where it is, at no cost worth batching: the
    // order in which circuits are often written, and the walk of an ascending list.
    bool past_end = !e.args().empty() && e.args().back() < b;
    // A strictly ascending list: toggling each term is exactly the operator's unique insertion or
    // erasure, and one exclusive merge applies them all.
    if (it == t.end()) {
        if (past_end || e.args().size() < 2 || !e.args().strictly_ascending()) return false;
        it = t.emplace(&e, Pending{{}, e.args().size()}).first;
        pending_objects = t.size();
    }
    Pending& p = it->second;
    auto waiting = p.toggles.find(b);
    if (past_end && waiting == p.toggles.end()) {
        e.args().push_back(b);
        ++p.count;
        return true;
    }
    bool in_list = e.args().locate(b).second;
    bool present = in_list != (waiting != p.toggles.end());
    std::size_t count = present ? p.count - 1 : p.count + 1;
    if (count == 1) {
        settle_pending(e);
        return false;
    }
    if (waiting != p.toggles.end())
        p.toggles.erase(waiting);
    else
        p.toggles.insert(b);
    p.count = count;
    if (p.toggles.size() >= std::max(min_batch, e.args().size())) settle_pending(e);
    return true;
}

void watch_pending(py::handle expr_type) {
    auto* type = reinterpret_cast<PyTypeObject*>(expr_type.ptr());
    if (type->tp_dealloc != &dealloc_forgetting) {
        pybind11_dealloc = type->tp_dealloc;
        type->tp_dealloc = &dealloc_forgetting;
    }
}

} // namespace ondrex_py
