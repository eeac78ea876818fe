// The `flash` package's classes scripts use with the drawing methods:
// flash.display.BitmapData (pixels kept by the VM: size, getPixel,
// setPixel, fillRect, dispose) and flash.geom.Matrix (its fields and
// createGradientBox, which beginGradientFill reads).

#include "swf/avm1/builtin_helpers.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

// The largest bitmap side: 2880 pixels for movies before SWF 10, 8191 with
// at most 16,777,215 pixels from SWF 10 on.
bool sizeAllowed(int version, double w, double h)
{
    if (!(w >= 1) || !(h >= 1))
        return false;
    if (version < 10)
        return w <= 2880 && h <= 2880;
    return w <= 8191 && h <= 8191 && w * h <= 16777215;
}

int32_t toInt32(double n)
{
    if (!std::isfinite(n))
        return 0;
    const double m = std::fmod(std::trunc(n), 4294967296.0);
    return int32_t(uint32_t(int64_t(m < 0 ? m + 4294967296.0 : m)));
}

BitmapPixels* pixelsOf(const Value& self)
{
    return self.isObject() && self.o->bitmap ? self.o->bitmap.get() : nullptr;
}

// What the Flash Player keeps of a colour: pixels are stored with their
// colour multiplied by alpha, so a fully transparent pixel has no colour,
// and an opaque bitmap keeps no alpha.
uint32_t stored(const BitmapPixels& b, uint32_t argb)
{
    if (!b.transparent)
        return argb | 0xff000000u;
    return (argb >> 24) == 0 ? 0 : argb;
}

void readOnly(Interpreter& vm, Object* o, const char* name, NativeFunction getter)
{
    nativeAccessor(vm, o, name, std::move(getter));
}

void setupBitmapData(Interpreter& vm, Object* display)
{
    Object* proto = nullptr;
    makePackageClass(vm, display, "BitmapData",
              [](Interpreter& v, Args& a) {
                  const double w = v.toInteger(a.at(0)), h = v.toInteger(a.at(1));
                  if (!a.self.isObject() || !sizeAllowed(v.version(), w, h)) {
                      a.refused = true;
                      return Value();
                  }
                  auto b = std::make_shared<BitmapPixels>();
                  b->width = int(w);
                  b->height = int(h);
                  b->transparent = a.at(2).isUndefined() || v.toBoolean(a.at(2));
                  const uint32_t fill = a.at(3).isUndefined() ? 0xffffffffu : uint32_t(toInt32(v.toNumber(a.at(3))));
                  v.noteAllocation(int64_t(w * h) * 4);
                  b->argb.assign(size_t(w * h), stored(*b, fill));
                  a.self.o->bitmap = std::move(b);
                  return Value();
              },
              &proto);
    // A disposed bitmap reads -1 for its size.
    readOnly(vm, proto, "width", [](Interpreter&, Args& a) {
        const BitmapPixels* b = pixelsOf(a.self);
        return Value::number(b ? b->width : -1);
    });
    readOnly(vm, proto, "height", [](Interpreter&, Args& a) {
        const BitmapPixels* b = pixelsOf(a.self);
        return Value::number(b ? b->height : -1);
    });
    readOnly(vm, proto, "transparent", [](Interpreter&, Args& a) {
        const BitmapPixels* b = pixelsOf(a.self);
        return b ? Value::boolean(b->transparent) : Value::number(-1);
    });
    // The pixel at (x, y), or nullptr outside the bitmap.
    auto at = [](Interpreter& v, Args& a) -> uint32_t* {
        BitmapPixels* b = pixelsOf(a.self);
        if (!b)
            return nullptr;
        const double x = v.toInteger(a.at(0)), y = v.toInteger(a.at(1));
        if (!(x >= 0 && x < b->width && y >= 0 && y < b->height))
            return nullptr;
        return &b->argb[size_t(y) * size_t(b->width) + size_t(x)];
    };
    vm.defineMethod(proto, "getPixel", [at](Interpreter& v, Args& a) {
        const uint32_t* p = at(v, a);
        return Value::number(p ? double(*p & 0xffffffu) : 0);
    });
    vm.defineMethod(proto, "getPixel32", [at](Interpreter& v, Args& a) {
        const uint32_t* p = at(v, a);
        return Value::number(p ? double(int32_t(*p)) : 0);
    });
    vm.defineMethod(proto, "setPixel", [at](Interpreter& v, Args& a) {
        if (uint32_t* p = at(v, a))
            *p = stored(*pixelsOf(a.self), (*p & 0xff000000u) | (uint32_t(toInt32(v.toNumber(a.at(2)))) & 0xffffffu));
        return Value();
    });
    vm.defineMethod(proto, "setPixel32", [at](Interpreter& v, Args& a) {
        if (uint32_t* p = at(v, a))
            *p = stored(*pixelsOf(a.self), uint32_t(toInt32(v.toNumber(a.at(2)))));
        return Value();
    });
    vm.defineMethod(proto, "fillRect", [](Interpreter& v, Args& a) {
        BitmapPixels* b = pixelsOf(a.self);
        if (!b || !a.at(0).isObject())
            return Value();
        const auto field = [&](const char* name) {
            return v.toInteger(v.getMember(a.at(0), QString::fromLatin1(name)));
        };
        const double x = field("x"), y = field("y"), w = field("width"), h = field("height");
        const int x0 = int(std::clamp(x, 0.0, double(b->width))), y0 = int(std::clamp(y, 0.0, double(b->height)));
        const int x1 = int(std::clamp(x + w, 0.0, double(b->width))), y1 = int(std::clamp(y + h, 0.0, double(b->height)));
        const uint32_t c = stored(*b, uint32_t(toInt32(v.toNumber(a.at(1)))));
        for (int row = y0; row < y1; ++row)
            std::fill_n(b->argb.begin() + ptrdiff_t(row) * b->width + x0, std::max(0, x1 - x0), c);
        return Value();
    });
    vm.defineMethod(proto, "dispose", [](Interpreter&, Args& a) {
        if (a.self.isObject())
            a.self.o->bitmap.reset();
        return Value();
    });
}

} // namespace

void Interpreter::setupFlashPackage()
{
    Object* flash = packageOf(*this, global, "flash");
    setupBitmapData(*this, packageOf(*this, flash, "display"));
    setupGeomClasses();
}

} // namespace fotarel::swf::avm1
