! Round-trip sample in free source form.
program analysis
  implicit none
  integer :: n, i
  real :: x, y(4)
  character(len=12) :: label
  n = 7
  x = 2.5
  y = [1.0, 2.0, 3.0, 4.0]
  label = 'free form'
  write (*, 100) n, x
100 format(1x, i5, f8.3)
  write (*, 110) n, x, label
110 format(1x, 'n =', i4, 2x, &   ! the first part
           'x =', f8.3, &
! a comment line between continuation lines
           2x, 'label = ', a12) ! after the list
  write (*, 120) (y(i), i = 1, 4)
120 format(1x, 4(f6.2, :, ', '))
  write (*, '(1x, i5, f8.2)') n, x
  write (*, '(1x, ''quoted'', i3)') n
  write (*, "(1x, a, i3)") 'dq', n
  print '(1x, 2(es12.4, 1x))', x, y(1)
  write (*, '(1x, a12, 2x, &
       & i5)') label, n
  write (*, 130) n
130 format(1x, 'a long heading that makes the statement longer than one line ', &
           'and a second heading', i5, 2x, 'and more text to follow', 2x, 'end')
  write (*, 140) n
140 format(1x, sp, i5, ss, i5)
end program analysis
