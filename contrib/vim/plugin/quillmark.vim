" Quillmark for Vim: :Quillmark edits the Fortran FORMAT statement (or the
" format string) on the cursor's line in the Quillmark window.
"
" The command saves the buffer, starts Quillmark on the file, the cursor's
" line and its column (in bytes, as Quillmark counts), and reloads the buffer
" when Quillmark has rewritten the file (exit status 0); otherwise it reports
" Quillmark's message and leaves the buffer as it is. Each message that
" names its line ("quillmark: FILE:LINE: text") also goes into the window's
" location list: :lopen lists them, :ll goes to the line.
"
"   g:quillmark_program   the program (default "quillmark", found on PATH)
"   g:quillmark_options   extra options appended to the command line as shell
"                         words, e.g. '--free-form' (default: empty)
"   g:quillmark_exact     1: the samples exactly as gfortran prints them
"                         (--exact; default 0, the window's stored setting)
"   g:quillmark_keep_layout
"                         1: OK changes only the fields that changed and keeps
"                         the statement's lines, blanks and comments
"                         (--keep-layout; default 0, the stored setting)
"
" :QuillmarkCheck [PATH...] checks the FORMAT statements of the files and
" folders named (default: the buffer's file, saved first) against the I/O
" lists that use them, with quillmark-text --check, and puts each finding in
" the quickfix list: :copen lists them, :cc goes to one.
"
"   g:quillmark_text_program   the text front end (default "quillmark-text")
"
" A key of your own, in ~/.vimrc:   nnoremap <F7> :Quillmark<CR>

if exists('g:loaded_quillmark')
  finish
endif
let g:loaded_quillmark = 1

if !exists('g:quillmark_program')
  let g:quillmark_program = 'quillmark'
endif
if !exists('g:quillmark_options')
  let g:quillmark_options = ''
endif
if !exists('g:quillmark_exact')
  let g:quillmark_exact = 0
endif
if !exists('g:quillmark_keep_layout')
  let g:quillmark_keep_layout = 0
endif
if !exists('g:quillmark_text_program')
  let g:quillmark_text_program = 'quillmark-text'
endif

function! s:Quillmark() abort
  let l:file = expand('%:p')
  if empty(l:file) || !empty(&buftype)
    echohl ErrorMsg | echomsg 'Quillmark: this buffer holds no file' | echohl None
    return
  endif
  update
  " The program and the file name are quoted for the shell; the options are
  " the user's own shell words.
  let l:command = shellescape(g:quillmark_program) . ' ' . shellescape(l:file) . ' ' . line('.') . ' ' . col('.')
  if g:quillmark_exact
    let l:command .= ' --exact'
  endif
  if g:quillmark_keep_layout
    let l:command .= ' --keep-layout'
  endif
  if !empty(g:quillmark_options)
    let l:command .= ' ' . g:quillmark_options
  endif
  let l:output = system(l:command)
  let l:status = v:shell_error
  let l:located = filter(split(l:output, "\n"), 'v:val =~# ''^quillmark: .*:\d\+: ''')
  if !empty(l:located)
    call setloclist(0, [], ' ', {'title': 'Quillmark', 'lines': l:located, 'efm': 'quillmark: %f:%l: %m'})
  endif
  if l:status == 0
    let l:view = winsaveview()
    silent edit
    call winrestview(l:view)
    return
  endif
  " 1: nothing written (the window has shown why, or the log holds it);
  " 2: a bad command line. Whatever the program printed follows.
  let l:message = 'Quillmark left the file unchanged (exit status ' . l:status . ')'
  let l:output = substitute(l:output, '\n\+$', '', '')
  if !empty(l:output)
    let l:message .= ': ' . substitute(l:output, '\n', ' | ', 'g')
  endif
  echohl WarningMsg | echomsg l:message | echohl None
endfunction

command! -bar Quillmark call s:Quillmark()

" The checker's lines, "FILE:LINE:COLUMN: error: text" (or warning:, note:).
let s:check_format = '%f:%l:%c: %trror: %m,%f:%l:%c: %tarning: %m,%f:%l:%c: %tote: %m'

function! s:QuillmarkCheck(...) abort
  let l:paths = copy(a:000)
  if empty(l:paths)
    if empty(expand('%:p')) || !empty(&buftype)
      echohl ErrorMsg | echomsg 'Quillmark: this buffer holds no file' | echohl None
      return
    endif
    update
    let l:paths = [expand('%:p')]
  endif
  let l:command = shellescape(g:quillmark_text_program) . ' --check'
  if !empty(g:quillmark_options)
    let l:command .= ' ' . g:quillmark_options
  endif
  let l:command .= ' ' . join(map(l:paths, 'shellescape(expand(v:val))'), ' ')
  let l:lines = systemlist(l:command)
  let l:status = v:shell_error
  " 0: no finding; 1: findings; anything else: the checker could not run.
  if l:status > 1
    echohl ErrorMsg | echomsg 'Quillmark: the check did not run (exit status ' . l:status . '): '
          \ . join(l:lines, ' | ') | echohl None
    return
  endif
  call setqflist([], ' ', {'title': 'Quillmark check', 'lines': l:lines, 'efm': s:check_format})
  echomsg 'Quillmark: ' . len(getqflist()) . ' findings'
endfunction

command! -bar -nargs=* -complete=file QuillmarkCheck call s:QuillmarkCheck(<f-args>)
