// The release every program of the project belongs to; its number is set once, by the version
// in CMakeLists.txt's project().
#pragma once

class Version {
public:
    // The number alone: "0.4".
    static const char* number();
    // The launcher's name and number, what %version% shows: "Trevandel 0.4".
    static const char* text();
    // Whether an argument after the program's path is --version.
    static bool isAsked(int argc, char** argv);
    // The --version line of a program on standard output: "trevandel-shot (Trevandel) 0.4".
    static void print(const char* program);
};
