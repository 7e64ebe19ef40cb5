// Layer names as a drawing starts with them; the rules for names typed in or read
// from a file are in database/layers.h.
#pragma once

using LayerNames = char[64][256];

int lay_dflt(LayerNames table); // "LAYER001" .. "LAYER064"; 0
// The name layer (0..63) has while nobody named it: "LAYER" and its number from 001.
void lay_dfltname(int layer, char *out /*[256]*/);
