! report.f90 - the cooling curve of report.for, in free source form.
! Open the FORMAT statement of line 14 in Quillmark:
!     build/app/quillmark examples/report.f90 14 1
program report
  implicit none
  integer :: i
  real, parameter :: tamb = 20.0, k = 0.3
  write (6, 100)
  do i = 0, 5
     write (6, 110) i, tamb + 80.0 * exp(-k * i), 80.0 * exp(-k * i)
  end do
  write (6, '(1x, "Ambient:", f6.1)') tamb
100 format (1x, 'Minute', 4x, 'Temperature', 4x, 'Above ambient')
110 format(1x,i6,4x,f11.3,4x,es13.5)
end program report
