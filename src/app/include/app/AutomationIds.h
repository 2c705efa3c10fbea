// Identity of zm_config's automation object on the D-Bus session bus.
//
// The well-known bus name is the ProgID. The class identifier and the
// interface identifier are the program's registered GUIDs; they also appear
// as annotations in the introspection data of the factory and the object.
#pragma once

namespace Automation {

inline constexpr char kProgId[] = "zm_config.Application";
inline constexpr char kClassId[] = "{01A34255-DF94-4584-80C1-389E64BB0951}";
inline constexpr char kInterfaceId[] = "{7BF72543-D6B7-4389-B06A-CF801CA63C2D}";

//! The class factory: CreateInstance() -> o, Release(o).
inline constexpr char kFactoryPath[] = "/zm_config/ClassFactory";
inline constexpr char kFactoryInterface[] = "zm_config.ClassFactory";

//! Objects handed out live at kInstancePath + a number; their interface has no members.
inline constexpr char kInstancePath[] = "/zm_config/Instance/";
inline constexpr char kDispatchInterface[] = "zm_config.Izm_config";

//! Errors returned by the factory.
inline constexpr char kErrorFactoryUsed[] = "zm_config.Error.FactoryUsed";
inline constexpr char kErrorUnknownObject[] = "zm_config.Error.UnknownObject";
inline constexpr char kErrorNotOwner[] = "zm_config.Error.NotOwner";

//! The command-line option the activation file passes.
inline constexpr char kActivationOption[] = "-Automation";

} // namespace Automation
