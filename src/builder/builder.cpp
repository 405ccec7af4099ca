// The site builder library.
