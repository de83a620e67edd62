// The data-module fakes (owner form, host objects), shared with the
// data-module tests.
#include "dataframe/fixture.cpp"
