// SPDX-License-Identifier: GPL-3.0-or-later
// What the factory tells hosts about the product.
#pragma once

namespace Steinberg {
namespace Vst {
namespace Tarvik {

constexpr const char* kVendorName = "Tarvik";
constexpr const char* kVendorUrl = "https://tarvik.audio";
constexpr const char* kVendorEmail = "mailto:support@tarvik.audio";
constexpr const char* kProductName = "Brask";
constexpr const char* kProductVersion = "1.6.06.0811";
// The interface version the classes were designed against, reported as the classes' SDK version.
constexpr const char* kProductSdkVersion = "VST 3.6.5";

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
