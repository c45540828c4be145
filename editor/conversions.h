// The editor's value-to-text conversions and the parser of typed controller numbers.
#pragma once

namespace conversions {

// Each writes at most six characters and a terminator.
void scaledIntegerText(float value, char* text);
void gainText(float value, char* text);
void controllerText(float value, char* text);

// The parameter value for a typed controller number: n/128 for 0..127, 1.0 (off) otherwise.
float parseController(const char* text);

} // namespace conversions
