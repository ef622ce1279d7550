// The record of live element references and dependents. Reference entries are not removed when
// their Python object dies (that would need a hook in every deallocation); each one is checked
// against pybind11's own instance map before use, and dead ones are swept out once the record has
// doubled. Dependents remove their own entry when they die.
// Cost: recording O(depth of the owner chain); before_change O(recorded references and
// dependents).
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

using Path = std::vector<void const*>;

std::unordered_map<Dependent*, Path>& dependents() {
    static auto* d = new std::unordered_map<Dependent*, Path>();
    return *d;
}

// The entry still describes a live reference instance designating `ptr`.
bool live(void const* ptr, Entry const& e) {
    py::handle h =
        py::detail::find_registered_python_instance(const_cast<void*>(ptr), e.tinfo);
    if (!h) return false;
    bool same = h.ptr() == e.ref && !reinterpret_cast<py::detail::instance*>(h.ptr())->owned;
    h.dec_ref();
    return same;
}

// The core objects that something inside `owner_ptr` lies within, `owner_ptr` last: the path of
// `owner` when it is itself a live reference, then `owner_ptr`.
Path path_into(py::handle owner, void const* owner_ptr) {
    auto& m = entries();
    Path path;
    if (auto it = m.find(owner_ptr); it != m.end() && it->second.ref == owner.ptr())
        path = it->second.path;
    path.push_back(owner_ptr);
    return path;
}

// Whether a change of kind `c` to `p` reaches what lies at the end of `path`.
bool reaches(Path const& path, void const* p, Change c) {
    auto at = std::find(path.begin(), path.end(), p);
    if (at == path.end()) return false;
    return c == Change::shape || at + 1 != path.end();
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
    m.insert_or_assign(ptr, Entry{ref.ptr(), tinfo, d, path_into(owner, owner_ptr)});
    if (m.size() >= sweep_at) sweep();
}

} // namespace detail

Dependent::~Dependent() { forget(); }

void Dependent::depend_on(py::handle owner, void const* ptr) {
    dependents().insert_or_assign(this, path_into(owner, ptr));
}

void Dependent::forget() { dependents().erase(this); }

void before_change(void const* p, Change c) {
    // Detaching copies out of storage that the change has not touched yet, so the order of the
    // copies does not matter. A reference whose copy fails stays recorded, and the exception
    // stops the change before it starts.
    auto& m = entries();
    std::vector<void const*> hit;
    for (auto const& [ptr, e] : m)
        if (reaches(e.path, p, c)) hit.push_back(ptr);
    for (void const* ptr : hit) {
        auto it = m.find(ptr);
        Entry& e = it->second;
        if (live(ptr, e)) e.detach(reinterpret_cast<py::detail::instance*>(e.ref), e.tinfo);
        m.erase(it);
    }
    auto& d = dependents();
    std::vector<Dependent*> hit_dependents;
    for (auto const& [dep, path] : d)
        if (reaches(path, p, c)) hit_dependents.push_back(dep);
    for (Dependent* dep : hit_dependents) {
        dep->detach();
        d.erase(dep);
    }
}

bool is_reference(void const* p) {
    auto& m = entries();
    auto it = m.find(p);
    return it != m.end() && live(p, it->second);
}

} // namespace ondrex_py
