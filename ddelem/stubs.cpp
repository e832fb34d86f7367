// Placeholder bodies until the elementary and complex routines land.
#include "ddelem/ddelem.hpp"
#include "ddcomplex/ddcomplex.hpp"
namespace dd {
void DDEXP(const DDReal&, DDReal& b) { b = DDReal(0.0, 0.0); }
void DDLOG(const DDReal&, DDReal& b) { b = DDReal(0.0, 0.0); }
void DDPOWER(const DDReal&, const DDReal&, DDReal& p) { p = DDReal(0.0, 0.0); }
void DDCSSNR(const DDReal&, DDReal& x, DDReal& y) { x = DDReal(1.0, 0.0); y = DDReal(0.0, 0.0); }
void DDANG(const DDReal&, const DDReal&, DDReal& a) { a = DDReal(0.0, 0.0); }
void DDCOSHSINH(const DDReal&, DDReal& x, DDReal& y) { x = DDReal(1.0, 0.0); y = DDReal(0.0, 0.0); }
void DDASINH(const DDReal&, DDReal& b) { b = DDReal(0.0, 0.0); }
void DDACOSH(const DDReal&, DDReal& b) { b = DDReal(0.0, 0.0); }
void DDATANH(const DDReal&, DDReal& b) { b = DDReal(0.0, 0.0); }
void DDAGMR(const DDReal&, const DDReal&, DDReal& m) { m = DDReal(0.0, 0.0); }
void DDROOT(int, const DDReal*, const DDReal& x0, DDReal& x) { x = x0; }
void DDCSQRT(const DDComplex&, DDComplex& v) noexcept { v = DDComplex{}; }
void DDCDIV(const DDComplex&, const DDComplex&, DDComplex& q) { q = DDComplex{}; }
void DDCPWR(const DDComplex&, int, DDComplex& q) { q = DDComplex{}; }
}  // namespace dd
