// The record of live element references. Entries are not removed when their Python object dies
// (that would need a hook in every deallocation); each one is checked against pybind11's own
// instance map before use, and dead ones are swept out once the record has doubled.
// Cost: recording O(depth of the owner chain); before_change O(recorded references).
#include "references.hpp"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace ondrex_py {

namespace {

struct Entry {
    PyObject* ref; // borrowed: valid only while live() says so
    py::detail::type_info const* tinfo;
    detail::Detacher detach;
    // The core objects this reference lies within, outermost first; the last is its container.
    std::vector<void const*> path;
};

std::unordered_map<void const*, Entry>& entries() {
    static auto* e = new std::unordered_map<void const*, Entry>();
    return *e;
}
std::size_t sweep_at = 64;

// The entry still describes a live reference instance designating `ptr`.
bool live(void const* ptr, Entry const& e) {
    py::handle h =
        py::detail::find_registered_python_instance(const_cast<void*>(ptr), e.tinfo);
    if (!h) return false;
    bool same = h.ptr() == e.ref && !reinterpret_cast<py::detail::instance*>(h.ptr())->owned;
    h.dec_ref();
    return same;
}

void sweep() {
    auto& m = entries();
    std::erase_if(m, [](auto const& kv) { return !live(kv.first, kv.second); });
    sweep_at = std::max<std::size_t>(64, 2 * m.size());
}

} // namespace

namespace detail {

void record(py::handle ref, void const* ptr, py::detail::type_info const* tinfo, Detacher d,
            py::handle owner, void const* owner_ptr) {
    auto& m = entries();
    std::vector<void const*> path;
    if (auto it = m.find(owner_ptr); it != m.end() && it->second.ref == owner.ptr())
        path = it->second.path;
    path.push_back(owner_ptr);
    m.insert_or_assign(ptr, Entry{ref.ptr(), tinfo, d, std::move(path)});
    if (m.size() >= sweep_at) sweep();
}

} // namespace detail

void before_change(void const* p, Change c) {
    auto& m = entries();
    if (m.empty()) return;
    std::vector<void const*> hit;
    for (auto const& [ptr, e] : m) {
        auto at = std::find(e.path.begin(), e.path.end(), p);
        if (at == e.path.end()) continue;
        if (c == Change::values && at + 1 == e.path.end()) continue;
        hit.push_back(ptr);
    }
    // Detaching copies out of storage that the change has not touched yet, so the order of
    // the copies does not matter.
    std::vector<std::pair<py::detail::instance*, Entry>> todo;
    for (void const* ptr : hit) {
        auto node = m.extract(ptr);
        if (live(ptr, node.mapped()))
            todo.emplace_back(reinterpret_cast<py::detail::instance*>(node.mapped().ref),
                              std::move(node.mapped()));
    }
    for (auto& [inst, e] : todo) e.detach(inst, e.tinfo);
}

bool is_reference(void const* p) {
    auto& m = entries();
    auto it = m.find(p);
    return it != m.end() && live(p, it->second);
}

} // namespace ondrex_py
