! Formats of Fortran 90 to 2018: double-quoted constants, large repeat
! counts, the empty format, minimal widths, unlimited groups, rounding and
! decimal modes, user-defined output.
program later_standards
  implicit none
  integer :: n = 3
  real :: x = 1.5
  write(*, '("n =", I6)') n
  print "(""n ="", I6)", n
  write(*, 100) x
100 format("x =", F8.3, 1X, "say ""hi""")
  write(*, '(100A)') 'x'
  write(*, '(A, *(1X, F8.3))') 'v', x, x
  write(*, '(*(I5, :, '',''))') n, n
  write(*, '()')
  write(*, '(I0, 1X, I0.3, 1X, B0, 1X, O0, 1X, Z0, 1X, F0.3)') n, n, n, n, n, x
  write(*, '(G0, 1X, G0.3, 1X, E0.3, 1X, ES0.3, 1X, EN0.3, D0.3)') x, x, x, x, x, 1d0
  write(*, '(RU, F8.3, RD, RZ, RN, RC, RP, DC, F8.3, DP, F8.3)') x, x, x
  write(*, 200) x, &
                x
200 format(999F10.4, &
           "it's", 1000000E15.7)
  write(*, "(DT'list'(10, 2), 2DT)")
end program
