// gldemo: the OpenGL text-mode demo. Run it from its folder of the run tree
// (it reads ../data/font.tga and ../Data20/); Escape ends it.
#include "gldemo/demo_main.h"

int main() { return gldemo::DemoMain(); }
