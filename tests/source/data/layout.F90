! Free-form statements laid out over lines: a FORMAT list that starts on
! the line after its keyword, comment and preprocessor lines between the
! lines of a statement.
program layout
  implicit none
  integer :: n = 3
  real :: x = 1.5
  write (6, 900) n, x
900 format &
        (3x, 'count', &
#ifdef VERBOSE
! the verbose build prints the same record
#endif
         i5, 2x, &
         f7.2)
  write (6, 910) n
910 format & ! the short record
   &(1x, i3)
  write (6, '(1x, "n =", &
#define UNUSED 1
     & i4)') n
  print 920, x
920 format (1x, &
#if 0
#endif
    es12.4)
end program layout
