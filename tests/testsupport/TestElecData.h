// The electrical data file the window tests share: the standard sizes from 1.5 to 300 mm², two
// motor ratings and the two usual conductors. Tests make their own files, never use the shipped
// one.
#pragma once

namespace qv::test {

inline const char* const kElecData = "[Cable]\n"
                                     "Size=1.5,2.5,4,6,10,16,25,35,50,70,95,120,150,185,240,300\n"
                                     "[MotorRating]\n"
                                     "5.5=0.85,87\n"
                                     "110=0.9,95\n"
                                     "[Conductivity]\n"
                                     "Copper=56\n"
                                     "Aluminium=35\n";

} // namespace qv::test
