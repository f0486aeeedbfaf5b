#pragma once
// The data build of this program: the table layouts it creates and expects.
// A company stamped with an older build is upgraded when opened; the about
// box shows this number and a new company is stamped with it.
inline constexpr int ProgramBuild = 1084;
