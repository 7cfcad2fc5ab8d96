#ifndef QOR_U16_U16_APIBIND_H
#define QOR_U16_U16_APIBIND_H

/* Optional system functions bound by name at run time. Each such function
 * has a slot that callers call through; the slot starts out holding the
 * function's stub. The stub's first call binds the function once by name
 * (ApiBindByName); when the library or the function is missing, the slot
 * keeps the stub and every call gives the function's fixed absent
 * behaviour. A library that was loaded for a bound function stays loaded. */

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "u16/qor_uc.h"

/* The address of procedure in library (loaded by name), or null: a library
 * that loads but lacks the procedure is unloaded again. Silent. */
void* ApiILoadProc(const char* procedure, const QOR_UC* library);

/* Stores the address of procedure in the slot when library has it; else
 * the slot stays as it was. No result, no report. */
template <typename Fn>
void ApiBindByName(const char* procedure, const QOR_UC* library, std::atomic<Fn>* slot)
{
    if (void* address = ApiILoadProc(procedure, library))
        slot->store(reinterpret_cast<Fn>(address), std::memory_order_release);
}

/* The calling thread's last error as the absent behaviours set it. */
uint32_t ApiGetLastError(void);
void ApiSetLastError(uint32_t code);

template <typename Signature> class ApiSlot;

/* The slot of one bound function: callers call it like the function. */
template <typename R, typename... A> class ApiSlot<R(A...)>
{
  public:
    using Signature = R(A...);
    using Fn = R (*)(A...);

    constexpr ApiSlot(const char* procedure, const QOR_UC* library, Fn stub, Fn absent)
        : procedure(procedure), library(library), absent(absent), fn(stub)
    {
    }
    ApiSlot(const ApiSlot&) = delete;
    ApiSlot& operator=(const ApiSlot&) = delete;

    R operator()(A... args) const { return fn.load(std::memory_order_acquire)(args...); }

    const char* const procedure;
    const QOR_UC* const library;
    const Fn absent;
    std::atomic<Fn> fn;                 // the stub until bound
    std::atomic<int32_t> first_call{1}; // cleared by the first call
};

/* The stub of a slot: binds on the first call and calls through the slot
 * (which, after a failed binding, runs the stub again: absent behaviour). */
template <auto& Slot,
          typename Signature = typename std::remove_reference_t<decltype(Slot)>::Signature>
struct ApiStub;
template <auto& Slot, typename R, typename... A> struct ApiStub<Slot, R(A...)>
{
    static R call(A... args)
    {
        if (Slot.first_call.exchange(0) == 1) {
            ApiBindByName(Slot.procedure, Slot.library, &Slot.fn);
            return Slot(args...);
        }
        return Slot.absent(args...);
    }
};

/* Absent behaviours, as kinds that ApiAbsent turns into a function of the
 * slot's signature. */
template <long Value> struct ApiReturns
{
    template <typename R, typename... A> static R act(A...)
    {
        if constexpr (Value == 0)
            return R{}; // also the null pointer of a function that returns one
        else
            return static_cast<R>(Value);
    }
};
struct ApiDoesNothing
{
    template <typename R, typename... A> static R act(A...) {}
};
/* Sets the last error 1 (invalid function) and returns 0. */
struct ApiInvalidFunction
{
    template <typename R, typename... A> static R act(A...)
    {
        ApiSetLastError(1);
        return R{};
    }
};
/* Hands the arguments to another function of the same signature. */
template <auto Function> struct ApiCalls
{
    template <typename R, typename... A> static R act(A... args) { return Function(args...); }
};

template <typename Kind, typename Signature> struct ApiAbsent;
template <typename Kind, typename R, typename... A> struct ApiAbsent<Kind, R(A...)>
{
    static R call(A... args) { return Kind::template act<R, A...>(args...); }
};

#endif
