;;; quillmark.el --- Edit the Fortran FORMAT statement at point with Quillmark  -*- lexical-binding: t; -*-

;; Copyright (C) 2026 the Quillmark authors

;; Author: the Quillmark authors
;; Version: 0.1.0
;; Package-Requires: ((emacs "26.1"))
;; Keywords: languages, fortran, tools
;; SPDX-License-Identifier: MIT

;; This file is not part of GNU Emacs.  It is free software under the MIT
;; licence; see the file LICENSE that comes with Quillmark.

;;; Commentary:

;; M-x quillmark saves the buffer, starts Quillmark on the file, the line of
;; point and its column (in bytes from 1, as Quillmark counts), and reverts
;; the buffer when Quillmark has rewritten the file (exit status 0);
;; otherwise it reports Quillmark's message and leaves the buffer as it is.
;; Quillmark writes each message as one line that names the file and the
;; line ("quillmark: FILE:LINE: text"), so the report says where it points.
;;
;; M-x quillmark-check checks the FORMAT statements of the file (with a
;; prefix argument, of a file or folder you name) against the READ, WRITE
;; and PRINT statements that use them, with quillmark-text --check, in a
;; compilation buffer: each finding is a line "FILE:LINE:COLUMN: error:
;; text" (or warning:, note:), and `next-error' (M-g n) goes to the next.
;;
;; In your init file:
;;
;;   (require 'quillmark)
;;   (global-set-key (kbd "C-c q") #'quillmark)

;;; Code:

(require 'subr-x)
(require 'compile)

(defgroup quillmark nil
  "Edit Fortran FORMAT statements field by field."
  :group 'tools)

(defcustom quillmark-program "quillmark"
  "The Quillmark program, a name found on variable `exec-path' or a file name."
  :type 'string)

(defcustom quillmark-options ""
  "Extra options appended to Quillmark's command line, such as \"--free-form\".
The string is split into words at blanks; a word with blanks goes in
double quotes."
  :type 'string)

(defcustom quillmark-exact nil
  "Non-nil: show the samples exactly as gfortran prints them (--exact).
Nil leaves the choice to the setting stored by Quillmark's window."
  :type 'boolean)

(defcustom quillmark-keep-layout nil
  "Non-nil: OK changes only the fields that changed (--keep-layout).
The statement's lines, blanks and comments stay as they are.  Nil leaves
the choice to the setting stored by Quillmark's window."
  :type 'boolean)

(defcustom quillmark-text-program "quillmark-text"
  "The checker `quillmark-check' starts: Quillmark's text front end."
  :type 'string)

(defun quillmark--column ()
  "The column of point in bytes from 1, as Quillmark counts it."
  (1+ (- (position-bytes (point)) (position-bytes (line-beginning-position)))))

;;;###autoload
(defun quillmark ()
  "Edit the FORMAT statement or format string on this line with Quillmark.
Saves the buffer first and reverts it when Quillmark has rewritten the
file; otherwise reports Quillmark's exit status and output.  Returns the
exit status."
  (interactive)
  (unless buffer-file-name
    (user-error "Quillmark: this buffer visits no file"))
  (save-buffer)
  ;; No shell: each argument reaches the program as it is.
  (let ((args (append (list (expand-file-name buffer-file-name)
                            (number-to-string (line-number-at-pos nil t))
                            (number-to-string (quillmark--column)))
                      (and quillmark-exact (list "--exact"))
                      (and quillmark-keep-layout (list "--keep-layout"))
                      (split-string-and-unquote quillmark-options)))
        (status nil)
        (output nil))
    (with-temp-buffer
      (setq status (apply #'call-process quillmark-program nil t nil args))
      (setq output (string-trim (buffer-string))))
    (if (eql status 0)
        ;; The statement's lines may change length: back to the same line
        ;; and column rather than to the same character position.
        (let ((line (line-number-at-pos nil t))
              (column (current-column)))
          (revert-buffer t t t)
          (save-restriction
            (widen)
            (goto-char (point-min))
            (forward-line (1- line)))
          (move-to-column column))
      ;; 1: nothing written (the window has shown why, or the log holds
      ;; it); 2: a bad command line. Whatever the program printed follows.
      (message "Quillmark left the file unchanged (exit status %s)%s"
               status (if (string-empty-p output) "" (concat ": " output))))
    status))

;;;###autoload
(defun quillmark-check (path)
  "Check the FORMAT statements of PATH against the I/O lists that use them.
PATH is a file or a folder (read recursively); interactively, the file
the buffer visits (saved first), or with a prefix argument one you name.
The findings go to a compilation buffer, where `next-error' visits them.
Returns that buffer."
  (interactive
   (list (if (or current-prefix-arg (not buffer-file-name))
             (read-file-name "Check file or folder: " nil default-directory t)
           buffer-file-name)))
  (when (and buffer-file-name (equal (expand-file-name path) buffer-file-name))
    (save-buffer))
  (let ((command (mapconcat #'shell-quote-argument
                            (append (list quillmark-text-program "--check")
                                    (split-string-and-unquote quillmark-options)
                                    (list (expand-file-name path)))
                            " ")))
    (compilation-start command nil (lambda (_mode) "*quillmark-check*"))))

(provide 'quillmark)

;;; quillmark.el ends here
