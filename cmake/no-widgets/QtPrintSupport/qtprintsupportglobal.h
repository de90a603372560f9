// Found first on the include path of the libraries that must not use Qt
// Widgets or Qt Print Support (documents, controllers, dialog models, file
// formats). Every header of those Qt modules includes this one, so using
// one of them there stops the build here.
#error "Qt Widgets and Qt Print Support are not allowed in this library: move the window or dialog code into kroyna_widgets (src/CMakeLists.txt, widget_sources)."
