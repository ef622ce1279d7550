// Visibility of the core: public operations of ond are exported from the module's shared object,
// everything else stays hidden.
#pragma once

#define OND_API __attribute__((visibility("default")))
