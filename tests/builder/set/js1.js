// model of a script
