// Hands the skin archive embedded in the running program to the UI layer, as the program does
// at start: resource "IDR_ZIPRES" of type "ZIPRES" opened with the fixed password. A missing or
// empty resource leaves the layer without a skin; the result says whether one was set.
#pragma once

bool LoadEmbeddedSkin();
