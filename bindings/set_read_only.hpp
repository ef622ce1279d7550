// SetReadOnly: a non-owning, read-only view of a contiguous run of values, handed to Python
// callbacks so that no container is built per call. The owner of the run may detach a view
// whose run is about to change or die; a detached view has no data left to read.
#pragma once

#include <cstddef>

template <class T>
class SetReadOnly {
public:
    SetReadOnly(T const* data, unsigned long size) : data_(data), size_(size) {}

    T const* data() const { return data_; }
    // No bounds test: callers check the index against size().
    T const& at(unsigned long i) const { return data_[i]; }
    unsigned long size() const { return size_; }

    // Forgets the run; the view then points at nothing.
    void detach() {
        data_ = nullptr;
        size_ = 0;
    }
    bool attached() const { return data_ != nullptr; }

private:
    T const* data_;
    unsigned long size_;
};
