// Included before anything else into every source of the module (CMakeLists.txt), so that the
// shared object loads into any CPython and PyInit_ondrex itself refuses a version other than
// 3.12 with its ImportError. CPython loads extension modules with every symbol bound at once:
// a private function of 3.12 that a later release removed (3.13 removed
// _PyThreadState_UncheckedGet, which pybind11 calls when built for 3.12) would make the load
// fail first, with "undefined symbol". Weak references to the private functions outside the
// stable ABI bind when the interpreter has them and stay null otherwise; nothing calls them
// before the version check. tests/test_shared_object.py checks that the list is complete.
#pragma once

#pragma weak _PyThreadState_UncheckedGet
#pragma weak _PyObject_GetDictPtr
#pragma weak _PyType_Lookup
