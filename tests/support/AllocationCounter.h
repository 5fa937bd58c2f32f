// SPDX-License-Identifier: GPL-3.0-or-later
// Counts what the code under test allocates: linking this library replaces the program's global
// allocation functions with counting ones, so it goes only into test programs of their own.
#pragma once

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

/** Counts the allocations the calling thread makes between start() and stop(). */
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter() { stop(); }
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    void start();
    void stop();
    /** Allocations counted since this counter was made. */
    long count() const;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
