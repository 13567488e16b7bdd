! A survey's summary, with the faults --check finds in it.
program survey
  implicit none
  integer :: stations, readings(4)
  real :: mean
  character(len=12) :: site
  stations = 4
  readings = [12, 15, 11, 14]
  mean = sum(readings) / 4.0
  site = 'North ridge'
  write (6, 100) site, stations, mean
  write (6, 110) stations, readings
  write (6, '(A, F8.2)') site, stations
100 format (A, I4, F8.2)
110 format (I3, 2I5)
120 format (1X, 'unused')
end program survey
