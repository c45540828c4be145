// The two kinds of failure the tools report: how they were called, and everything else (files,
// servers, plug-ins). plughost exits with 2 for the first and 1 for the second.
#pragma once

#include <stdexcept>

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
