// A shared library that defines nothing. Built under a real library's name
// (libjxl.so.0.7), it stands for that library installed broken or missing:
// a module that needs it cannot be loaded.
