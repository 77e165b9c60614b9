// The shared library is the whole core; its exports are the fifteen functions of exports.cpp.
