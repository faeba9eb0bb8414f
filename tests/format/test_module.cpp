// A module for the loader's test: one exported value.
extern "C" {
__attribute__((visibility("default"))) extern const int kzoTestModuleValue;
const int kzoTestModuleValue = 1234;
}
